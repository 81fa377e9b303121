<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>AdvancedSettingsDialog</name>
    <message>
        <source>高级图像处理设置</source>
        <translation>Advanced Image Processing</translation>
    </message>
    <message>
        <source>图像处理功能</source>
        <translation>Image processing</translation>
    </message>
    <message>
        <source>角度调整</source>
        <translation>Rotate by angle</translation>
    </message>
    <message>
        <source>手动调整图像旋转角度（支持精确到0.1度）</source>
        <translation>Rotate the image by hand (to 0.1°)</translation>
    </message>
    <message>
        <source>自动纠偏</source>
        <translation>Auto deskew</translation>
    </message>
    <message>
        <source>自动检测页面的倾斜角度并校正（±15度以内）</source>
        <translation>Detect the page&apos;s tilt and correct it (within ±15°)</translation>
    </message>
    <message>
        <source>自动裁切</source>
        <translation>Auto crop</translation>
    </message>
    <message>
        <source>找到平板扫描中纸张的边缘，裁切到纸张</source>
        <translation>Find the paper&apos;s edges in a flatbed scan and crop to them</translation>
    </message>
    <message>
        <source>自动转正</source>
        <translation>Auto orient</translation>
    </message>
    <message>
        <source>识别文字方向，把横放或倒置的页面转正</source>
        <translation>Detect the text direction and turn sideways or upside-down pages upright</translation>
    </message>
    <message>
        <source>文档增强</source>
        <translation>Enhance document</translation>
    </message>
    <message>
        <source>保留彩色，突出内容，去除背景</source>
        <translation>Keep color, bring out the content, remove the background</translation>
    </message>
    <message>
        <source>去除边框</source>
        <translation>Remove border</translation>
    </message>
    <message>
        <source>自动去除扫描图像的边框</source>
        <translation>Remove the borders of the scanned image</translation>
    </message>
    <message>
        <source>图片漂白</source>
        <translation>Whiten</translation>
    </message>
    <message>
        <source>去除扫描图像的底色，使背景更白净</source>
        <translation>Remove the background tint of the scan for a whiter page</translation>
    </message>
    <message>
        <source>空白页参数</source>
        <translation>Blank page settings</translation>
    </message>
    <message>
        <source>调整空白页检测的灵敏度参数</source>
        <translation>Adjust the sensitivity of blank page detection</translation>
    </message>
    <message>
        <source>亮度、对比度</source>
        <translation>Brightness, contrast</translation>
    </message>
    <message>
        <source>调整图像的亮度和对比度</source>
        <translation>Adjust the brightness and contrast of the image</translation>
    </message>
    <message>
        <source>色度、饱和度</source>
        <translation>Hue, saturation</translation>
    </message>
    <message>
        <source>调整图像的色度和饱和度</source>
        <translation>Adjust the hue and saturation of the image</translation>
    </message>
    <message>
        <source>灰度</source>
        <translation>Gray</translation>
    </message>
    <message>
        <source>将图像转换为灰度图像</source>
        <translation>Convert the image to grayscale</translation>
    </message>
    <message>
        <source>黑白</source>
        <translation>Black &amp;&amp; white</translation>
    </message>
    <message>
        <source>按自动计算的阈值将图像转换为黑白两色</source>
        <translation>Convert the image to black and white at an automatic threshold</translation>
    </message>
    <message>
        <source>自动色阶</source>
        <translation>Auto levels</translation>
    </message>
    <message>
        <source>自动拉伸各颜色通道的色阶范围</source>
        <translation>Stretch the levels of each color channel automatically</translation>
    </message>
    <message>
        <source>识别文字</source>
        <translation>Recognized text</translation>
    </message>
    <message>
        <source>显示当前页面识别出的文字</source>
        <translation>Show the text recognized on the current page</translation>
    </message>
    <message>
        <source>撤销上一步操作</source>
        <translation>Undo last step</translation>
    </message>
    <message>
        <source>拆分多张原稿</source>
        <translation>Separate originals</translation>
    </message>
    <message>
        <source>把平板上同时扫描的多张原稿（收据、卡片、照片）各拆成一页，摆正并裁切</source>
        <translation>Make each original scanned together on the flatbed (receipt, card, photo) a page of its own, straightened and cropped</translation>
    </message>
    <message>
        <source>撤销最近一次的操作（最多100步）</source>
        <translation>Undo the latest operation (up to 100 steps)</translation>
    </message>
    <message>
        <source>提示：这些高级功能将应用于当前选中的图像。
处理可能需要一些时间，请耐心等待。
所有操作都支持撤销（最多100步）。</source>
        <translation>Note: these functions apply to the selected image.
Processing may take a moment.
Every operation can be undone (up to 100 steps).</translation>
    </message>
</context>
<context>
    <name>AngleDialog</name>
    <message>
        <source>角度调整</source>
        <translation>Rotate by angle</translation>
    </message>
    <message>
        <source>&lt;b&gt;手动调整图像旋转角度&lt;/b&gt;</source>
        <translation>&lt;b&gt;Rotate the image by hand&lt;/b&gt;</translation>
    </message>
    <message>
        <source>快速调整</source>
        <translation>Quick</translation>
    </message>
    <message>
        <source>← 左转 1°</source>
        <translation>← Left 1°</translation>
    </message>
    <message>
        <source>右转 1° →</source>
        <translation>Right 1° →</translation>
    </message>
    <message>
        <source>精确调整</source>
        <translation>Exact</translation>
    </message>
    <message>
        <source> 度</source>
        <translation> °</translation>
    </message>
    <message>
        <source>旋转角度:</source>
        <translation>Angle:</translation>
    </message>
    <message>
        <source>
&lt;b&gt;使用说明：&lt;/b&gt;
• 正值：顺时针旋转
• 负值：逆时针旋转
• 快速按钮：快速调整常用角度
• 精确输入：输入任意角度（支持小数）
• 可以多次调整，点击确定后应用</source>
        <translation>
&lt;b&gt;How to use:&lt;/b&gt;
• Positive: clockwise
• Negative: counter-clockwise
• Quick buttons: common steps
• Exact: any angle (decimals allowed)
• Adjust as often as you like; OK applies</translation>
    </message>
</context>
<context>
    <name>AnnotationDialog</name>
    <message>
        <source>批注和标记</source>
        <translation>Annotations and marks</translation>
    </message>
    <message>
        <source>功能</source>
        <translation>Function</translation>
    </message>
    <message>
        <source>文本</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>水印</source>
        <translation>Watermark</translation>
    </message>
    <message>
        <source>绘图</source>
        <translation>Draw</translation>
    </message>
    <message>
        <source>↶ 撤销</source>
        <translation>↶ Undo</translation>
    </message>
    <message>
        <source>↷ 重做</source>
        <translation>↷ Redo</translation>
    </message>
    <message>
        <source>清除</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>✓ 完成</source>
        <translation>✓ Done</translation>
    </message>
    <message>
        <source>💡 点击画布添加文字</source>
        <translation>💡 Click the canvas to add text</translation>
    </message>
    <message>
        <source>字体</source>
        <translation>Font</translation>
    </message>
    <message>
        <source>字号</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>字体颜色</source>
        <translation>Font color</translation>
    </message>
    <message>
        <source>透明度</source>
        <translation>Opacity</translation>
    </message>
    <message>
        <source>内容</source>
        <translation>Content</translation>
    </message>
    <message>
        <source>例如：机密、样本等</source>
        <translation>e.g. Confidential, Sample</translation>
    </message>
    <message>
        <source>位置</source>
        <translation>Position</translation>
    </message>
    <message>
        <source>居中</source>
        <translation>Center</translation>
    </message>
    <message>
        <source>左上角</source>
        <translation>Top left</translation>
    </message>
    <message>
        <source>右上角</source>
        <translation>Top right</translation>
    </message>
    <message>
        <source>左下角</source>
        <translation>Bottom left</translation>
    </message>
    <message>
        <source>右下角</source>
        <translation>Bottom right</translation>
    </message>
    <message>
        <source>单行平铺</source>
        <translation>Tiled row</translation>
    </message>
    <message>
        <source>对角线平铺</source>
        <translation>Tiled diagonal</translation>
    </message>
    <message>
        <source>铺满</source>
        <translation>Fill page</translation>
    </message>
    <message>
        <source>大小</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>添加水印</source>
        <translation>Add watermark</translation>
    </message>
    <message>
        <source>工具</source>
        <translation>Tool</translation>
    </message>
    <message>
        <source>矩形</source>
        <translation>Rectangle</translation>
    </message>
    <message>
        <source>圆形</source>
        <translation>Circle</translation>
    </message>
    <message>
        <source>直线</source>
        <translation>Line</translation>
    </message>
    <message>
        <source>箭头</source>
        <translation>Arrow</translation>
    </message>
    <message>
        <source>高亮</source>
        <translation>Highlight</translation>
    </message>
    <message>
        <source>手绘</source>
        <translation>Freehand</translation>
    </message>
    <message>
        <source>颜色</source>
        <translation>Color</translation>
    </message>
    <message>
        <source>线宽</source>
        <translation>Width</translation>
    </message>
    <message>
        <source>填充</source>
        <translation>Fill</translation>
    </message>
    <message>
        <source>确认</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>确定要清除所有批注吗？</source>
        <translation>Clear all annotations?</translation>
    </message>
    <message>
        <source>✏️ 已选中: &quot;%1&quot;</source>
        <translation>✏️ Selected: &quot;%1&quot;</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>请输入水印内容</source>
        <translation>Please enter the watermark text</translation>
    </message>
</context>
<context>
    <name>AnnotationWidget</name>
    <message>
        <source>✏️ 编辑文字</source>
        <translation>✏️ Edit text</translation>
    </message>
    <message>
        <source>🗑️ 删除</source>
        <translation>🗑️ Delete</translation>
    </message>
    <message>
        <source>编辑文字</source>
        <translation>Edit text</translation>
    </message>
    <message>
        <source>请输入文字内容:</source>
        <translation>Text:</translation>
    </message>
</context>
<context>
    <name>AutoSaver</name>
    <message>
        <source>扫描文档</source>
        <translation>Scanned document</translation>
    </message>
</context>
<context>
    <name>BatchRunner</name>
    <message>
        <source>扫描仪初始化失败</source>
        <translation>Could not initialize the scanners</translation>
    </message>
    <message>
        <source>没有名为“%1”的扫描方案</source>
        <translation>No scan profile named &quot;%1&quot;</translation>
    </message>
    <message>
        <source>命令行只能使用 SANE 扫描仪: %1</source>
        <translation>The command line can only use SANE scanners: %1</translation>
    </message>
    <message>
        <source>没有找到扫描仪</source>
        <translation>No scanner found</translation>
    </message>
    <message>
        <source>找不到扫描仪: %1</source>
        <translation>Scanner not found: %1</translation>
    </message>
    <message>
        <source>无法打开扫描仪: %1</source>
        <translation>Cannot open the scanner: %1</translation>
    </message>
    <message>
        <source>已扫描第 %1 页</source>
        <translation>Scanned page %1</translation>
    </message>
    <message>
        <source>正在使用 %1 扫描...</source>
        <translation>Scanning with %1...</translation>
    </message>
    <message>
        <source>扫描错误: %1</source>
        <translation>Scan error: %1</translation>
    </message>
    <message>
        <source>没有扫描到页面</source>
        <translation>No pages were scanned</translation>
    </message>
    <message>
        <source>无法读取输入文件: %1</source>
        <translation>Cannot read the input file: %1</translation>
    </message>
    <message>
        <source>输入文件中没有页面</source>
        <translation>The input files hold no pages</translation>
    </message>
    <message>
        <source>正在查找分隔页...</source>
        <translation>Looking for separator sheets...</translation>
    </message>
    <message>
        <source>正在识别文字 %1/%2</source>
        <translation>Recognizing text %1/%2</translation>
    </message>
    <message>
        <source>分割后没有页面</source>
        <translation>No pages left after splitting</translation>
    </message>
    <message>
        <source>正在写入 %1 (%2/%3)</source>
        <translation>Writing %1 (%2/%3)</translation>
    </message>
    <message>
        <source>输出路径是一个文件夹: %1</source>
        <translation>The output path is a folder: %1</translation>
    </message>
    <message>
        <source>正在写入 %1</source>
        <translation>Writing %1</translation>
    </message>
    <message>
        <source>无法写入 %1: %2</source>
        <translation>Cannot write %1: %2</translation>
    </message>
    <message>
        <source>已写入 %1 个文件，共 %2</source>
        <translation>Files written: %1, %2 in all</translation>
    </message>
    <message>
        <source>已写入 %1 页，%2</source>
        <translation>Pages written: %1, %2</translation>
    </message>
</context>
<context>
    <name>BlankPageSettingsDialog</name>
    <message>
        <source>空白页参数设置</source>
        <translation>Blank Page Settings</translation>
    </message>
    <message>
        <source>&lt;b&gt;调整空白页检测灵敏度&lt;/b&gt;</source>
        <translation>&lt;b&gt;Sensitivity of blank page detection&lt;/b&gt;</translation>
    </message>
    <message>
        <source>检测参数</source>
        <translation>Detection</translation>
    </message>
    <message>
        <source>白色阈值</source>
        <translation>White threshold</translation>
    </message>
    <message>
        <source>像素亮度大于此值被认为是空白像素（推荐：235-245）</source>
        <translation>Pixels brighter than this count as blank (suggested: 235-245)</translation>
    </message>
    <message>
        <source>阈值范围</source>
        <translation>Blank ratio</translation>
    </message>
    <message>
        <source>空白像素占比大于此值判定为空白页（推荐：96-99，已忽略边缘1%）</source>
        <translation>A page with more blank pixels than this (%) is blank (suggested: 96-99; the outer 1% is ignored)</translation>
    </message>
    <message>
        <source>&lt;b&gt;调整建议：&lt;/b&gt;&lt;br&gt;• 空白页未被检测到 → 降低白色阈值或阈值范围&lt;br&gt;• 非空白页被误判 → 提高白色阈值或阈值范围&lt;br&gt;• 有淡色背景的纸张 → 降低白色阈值到 230-235&lt;br&gt;• 有水印的空白页 → 降低阈值范围到 93-95&lt;br&gt;• 少量文字被误判 → 提高阈值范围到 99</source>
        <translation>&lt;b&gt;Tips:&lt;/b&gt;&lt;br&gt;• Blank pages not detected → lower the white threshold or the blank ratio&lt;br&gt;• Pages wrongly taken as blank → raise the white threshold or the blank ratio&lt;br&gt;• Paper with a light tint → lower the white threshold to 230-235&lt;br&gt;• Blank pages with a watermark → lower the blank ratio to 93-95&lt;br&gt;• Pages with little text taken as blank → raise the blank ratio to 99</translation>
    </message>
    <message>
        <source>恢复默认</source>
        <translation>Restore defaults</translation>
    </message>
</context>
<context>
    <name>BleachDialog</name>
    <message>
        <source>图片漂白设置</source>
        <translation>Whiten Settings</translation>
    </message>
    <message>
        <source>漂白参数</source>
        <translation>Whitening</translation>
    </message>
    <message>
        <source>背景色检测阈值，值越高检测越严格</source>
        <translation>Background detection threshold; higher is stricter</translation>
    </message>
    <message>
        <source>漂白强度，值越高漂白效果越强</source>
        <translation>Whitening strength; higher is stronger</translation>
    </message>
    <message>
        <source>检测阈值:</source>
        <translation>Threshold:</translation>
    </message>
    <message>
        <source>漂白强度:</source>
        <translation>Strength:</translation>
    </message>
    <message>
        <source>图片漂白功能可以去除扫描文档的底色，
使背景更加白净。适用于有轻微底色的文档。</source>
        <translation>Whitening removes the background tint of scanned documents for a whiter page. Suited to documents with a light tint.</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>用法:
  quirra [文件]                 打开窗口
  quirra --list-devices         列出扫描仪（SANE 设备及已知的 eSCL 设备）
  quirra --scan [--profile 名称] [--device 名称] [--source flatbed|adf|duplex]
         [--resolution DPI] [--mode color|gray|bw] [--page-size A4] --output 路径
                                按扫描方案扫描并保存（PDF，或按分割规则存入文件夹）
  quirra --convert 文件... --output 路径 [--compact] [--max-size 2MB]
         [--ocr chi_sim+eng] [--deskew] [--split none|page|every:N|blank|barcode]
                                将图像、多页 TIFF 和 PDF 合成一个 PDF，或分割后存入文件夹
  quirra --language en|zh ...   本次运行使用英文或中文界面
  quirra --help                 显示本帮助
  quirra --version              显示版本

进度和错误写到标准错误输出。退出码：0 完成，1 用法错误，2 输入无法读取或输出无法写入，3 扫描仪错误。
失败时不写入任何文件。
</source>
        <translation>Usage:
  quirra [file]                 open the window
  quirra --list-devices         list the scanners (SANE devices and known eSCL devices)
  quirra --scan [--profile name] [--device name] [--source flatbed|adf|duplex]
         [--resolution DPI] [--mode color|gray|bw] [--page-size A4] --output path
                                scan with a profile and save (a PDF, or a folder when split)
  quirra --convert file... --output path [--compact] [--max-size 2MB]
         [--ocr chi_sim+eng] [--deskew] [--split none|page|every:N|blank|barcode]
                                join images, multi-page TIFFs and PDFs into one PDF, or split into a folder
  quirra --language en|zh ...   use the English or Chinese interface for this run
  quirra --help                 show this help
  quirra --version              show the version

Progress and errors go to standard error. Exit codes: 0 done, 1 wrong usage, 2 input unreadable or output unwritable, 3 scanner error.
Nothing is written when a run fails.
</translation>
    </message>
    <message>
        <source>无法识别的界面语言: %1（可用 en、zh）</source>
        <translation>Unknown interface language: %1 (use en or zh)</translation>
    </message>
    <message>
        <source>请指定 --list-devices、--scan 或 --convert 中的一个</source>
        <translation>Give one of --list-devices, --scan or --convert</translation>
    </message>
    <message>
        <source>--list-devices 不接受其他参数</source>
        <translation>--list-devices takes no other arguments</translation>
    </message>
    <message>
        <source>缺少 --output 路径</source>
        <translation>Missing --output path</translation>
    </message>
    <message>
        <source>无法识别的分割规则: %1</source>
        <translation>Unknown split rule: %1</translation>
    </message>
    <message>
        <source>--%1 只能与 --convert 一起使用</source>
        <translation>--%1 only works with --convert</translation>
    </message>
    <message>
        <source>--scan 不接受文件参数: %1</source>
        <translation>--scan takes no file arguments: %1</translation>
    </message>
    <message>
        <source>无法识别的纸张来源: %1（可用 flatbed、adf、duplex）</source>
        <translation>Unknown paper source: %1 (use flatbed, adf or duplex)</translation>
    </message>
    <message>
        <source>无效的分辨率: %1</source>
        <translation>Invalid resolution: %1</translation>
    </message>
    <message>
        <source>无法识别的颜色模式: %1（可用 color、gray、bw）</source>
        <translation>Unknown color mode: %1 (use color, gray or bw)</translation>
    </message>
    <message>
        <source>--%1 只能与 --scan 一起使用</source>
        <translation>--%1 only works with --scan</translation>
    </message>
    <message>
        <source>--convert 需要至少一个输入文件</source>
        <translation>--convert needs at least one input file</translation>
    </message>
    <message>
        <source>无效的文件大小: %1</source>
        <translation>Invalid file size: %1</translation>
    </message>
    <message>
        <source>--ocr 需要语言，例如 chi_sim+eng</source>
        <translation>--ocr needs languages, for example chi_sim+eng</translation>
    </message>
</context>
<context>
    <name>DelayScanDialog</name>
    <message>
        <source>循环延时扫描设置</source>
        <translation>Delay Scan Settings</translation>
    </message>
    <message>
        <source>请选择每张扫描的延时间隔（秒）：</source>
        <translation>Delay before each sheet (seconds):</translation>
    </message>
    <message>
        <source>%1 秒</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>
&lt;b&gt;循环延时扫描模式说明：&lt;/b&gt;
• 点击确定后，系统将按设定的时间间隔自动循环扫描
• 每次倒计时结束后自动扫描一张
• 扫描完成后自动开始下一轮倒计时
• 请在倒计时期间放好下一张原稿
• 所有原稿扫描完毕后，点击&quot;扫描完成&quot;按钮结束
• 点击&quot;扫描完成&quot;后才会进入保存流程</source>
        <translation>
&lt;b&gt;Delay scan mode:&lt;/b&gt;
• After OK, scanning repeats at the chosen interval
• One sheet is scanned when each countdown ends
• The next countdown starts after each scan
• Place the next sheet during the countdown
• When all sheets are scanned, click &quot;Finish&quot;
• Saving starts only after &quot;Finish&quot;</translation>
    </message>
</context>
<context>
    <name>DeviceOptionLabels</name>
    <message>
        <source>平板</source>
        <translation>Flatbed</translation>
    </message>
    <message>
        <source>自动进纸器</source>
        <translation>Feeder (ADF)</translation>
    </message>
    <message>
        <source>单面</source>
        <translation>Single-sided</translation>
    </message>
    <message>
        <source>双面</source>
        <translation>Double-sided</translation>
    </message>
    <message>
        <source>点击&apos;查找设备&apos;初始化扫描仪</source>
        <translation>Click &apos;Find devices&apos; first</translation>
    </message>
    <message>
        <source>正在查找扫描仪（%1模式）...</source>
        <translation>Searching for scanners (%1)...</translation>
    </message>
    <message>
        <source>双面进纸器</source>
        <translation>Duplex feeder</translation>
    </message>
</context>
<context>
    <name>DocumentManager</name>
    <message>
        <source>没有要保存的页面</source>
        <translation>No pages to save</translation>
    </message>
    <message>
        <source>不支持的文件格式: %1</source>
        <translation>Unsupported file format: %1</translation>
    </message>
    <message>
        <source>Quirra</source>
        <translation>Quirra</translation>
    </message>
    <message>
        <source>保存PDF文件失败: %1</source>
        <translation>Could not save the PDF file: %1</translation>
    </message>
    <message>
        <source>保存图像失败: %1</source>
        <translation>Could not save the image: %1</translation>
    </message>
    <message>
        <source>保存第%1页图像失败: %2</source>
        <translation>Could not save the image of page %1: %2</translation>
    </message>
    <message>
        <source>保存TIFF文件失败: %1</source>
        <translation>Could not save the TIFF file: %1</translation>
    </message>
    <message>
        <source>未知错误</source>
        <translation>Unknown error</translation>
    </message>
    <message>
        <source>保存TIFF文件第%1页失败: %2</source>
        <translation>Could not save page %1 of the TIFF file: %2</translation>
    </message>
</context>
<context>
    <name>ESCLScanner</name>
    <message>
        <source>扫描已取消</source>
        <translation>Scan cancelled</translation>
    </message>
    <message>
        <source>扫描超时</source>
        <translation>Scan timed out</translation>
    </message>
    <message>
        <source>无法解析任务 ID</source>
        <translation>Could not read the job ID</translation>
    </message>
    <message>
        <source>未扫描到任何文档</source>
        <translation>No document was scanned</translation>
    </message>
    <message>
        <source>图像尺寸过大 (%1 x %2)</source>
        <translation>Image too large (%1 x %2)</translation>
    </message>
    <message>
        <source>查询扫描仪能力失败: %1</source>
        <translation>Could not query the scanner&apos;s capabilities: %1</translation>
    </message>
    <message>
        <source>创建扫描任务失败: %1</source>
        <translation>Could not create the scan job: %1</translation>
    </message>
    <message>
        <source>获取扫描文档失败: %1</source>
        <translation>Could not fetch the scanned document: %1</translation>
    </message>
    <message>
        <source>图像解析失败: %1</source>
        <translation>Could not decode the image: %1</translation>
    </message>
</context>
<context>
    <name>EsclAddDialog</name>
    <message>
        <source>添加 eSCL 设备</source>
        <translation>Add eSCL Device</translation>
    </message>
    <message>
        <source>请输入扫描仪的 URL:

示例:
  %1
  %2

提示:
  • 大多数 eSCL 扫描仪使用 HTTPS (端口 443)
  • 可以在扫描仪的网络设置中查看 IP 地址</source>
        <translation>Enter the scanner&apos;s URL:

Examples:
  %1
  %2

Tips:
  • Most eSCL scanners use HTTPS (port 443)
  • The scanner&apos;s network settings show its IP address</translation>
    </message>
</context>
<context>
    <name>EsclRemoveDialog</name>
    <message>
        <source>删除 eSCL 设备</source>
        <translation>Remove eSCL Device</translation>
    </message>
    <message>
        <source>请选择要删除的 eSCL 设备:

注意：删除后需要重新添加才能使用该设备。</source>
        <translation>Choose the eSCL device to remove:

Note: a removed device must be added again before use.</translation>
    </message>
</context>
<context>
    <name>FileNamePattern</name>
    <message>
        <source>扫描_{日期}_{序号}</source>
        <translation>Scan_{date}_{number}</translation>
    </message>
</context>
<context>
    <name>ImageFileWriter</name>
    <message>
        <source>没有图像</source>
        <translation>No image</translation>
    </message>
    <message>
        <source>PDF文件未能完整写入</source>
        <translation>The PDF file was not written completely</translation>
    </message>
    <message>
        <source>第%1页无法读取</source>
        <translation>Page %1 cannot be read</translation>
    </message>
    <message>
        <source>第%1页无法编码: %2</source>
        <translation>Page %1 cannot be encoded: %2</translation>
    </message>
    <message>
        <source>单独一页已超过大小上限 %1</source>
        <translation>A single page is already over the size limit of %1</translation>
    </message>
    <message>
        <source>没有要保存的页面</source>
        <translation>No pages to save</translation>
    </message>
    <message>
        <source>即使压缩到最小，文件仍有 %1，超过了大小上限 %2</source>
        <translation>Even at the strongest compression the file is %1, over the size limit of %2</translation>
    </message>
    <message>
        <source>已取消保存</source>
        <translation>Save cancelled</translation>
    </message>
</context>
<context>
    <name>ImportProgressDialog</name>
    <message>
        <source>导入文件</source>
        <translation>Import Files</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>正在打开文件...</source>
        <translation>Opening file...</translation>
    </message>
    <message>
        <source>正在导入第 %1/%2 页</source>
        <translation>Importing page %1/%2</translation>
    </message>
</context>
<context>
    <name>LayoutDialog</name>
    <message>
        <source>界面布局设置</source>
        <translation>Layout Settings</translation>
    </message>
    <message>
        <source>&lt;b&gt;选择界面布局&lt;/b&gt;</source>
        <translation>&lt;b&gt;Choose a layout&lt;/b&gt;</translation>
    </message>
    <message>
        <source>预设布局</source>
        <translation>Preset layouts</translation>
    </message>
    <message>
        <source>📐 默认布局</source>
        <translation>📐 Default layout</translation>
    </message>
    <message>
        <source>工具栏在上，页面列表在左，扫描配置在右</source>
        <translation>Tool bar at the top, page list on the left, scan settings on the right</translation>
    </message>
    <message>
        <source>  • 工具栏：顶部
  • 页面列表：左侧
  • 扫描配置：右侧
  • 适合：标准使用</source>
        <translation>  • Tool bar: top
  • Page list: left
  • Scan settings: right
  • For: everyday use</translation>
    </message>
    <message>
        <source>🔄 反转布局</source>
        <translation>🔄 Mirrored layout</translation>
    </message>
    <message>
        <source>工具栏在上，扫描配置在左，页面列表在右</source>
        <translation>Tool bar at the top, scan settings on the left, page list on the right</translation>
    </message>
    <message>
        <source>  • 工具栏：顶部
  • 扫描配置：左侧
  • 页面列表：右侧
  • 适合：左手操作</source>
        <translation>  • Tool bar: top
  • Scan settings: left
  • Page list: right
  • For: left-handed use</translation>
    </message>
    <message>
        <source>🔄 恢复默认布局</source>
        <translation>🔄 Restore default layout</translation>
    </message>
    <message>
        <source>&lt;b&gt;提示：&lt;/b&gt;&lt;br&gt;• 所有停靠窗口都可以自由拖动和调整大小&lt;br&gt;• 可以将停靠窗口拖出主窗口成为独立窗口&lt;br&gt;• 双击停靠窗口标题栏可以最大化/还原&lt;br&gt;• 布局设置会自动保存</source>
        <translation>&lt;b&gt;Tips:&lt;/b&gt;&lt;br&gt;• Every docked panel can be dragged and resized&lt;br&gt;• Drag a panel out of the window to float it&lt;br&gt;• Double-click a panel&apos;s title bar to maximize or restore it&lt;br&gt;• The layout is saved automatically</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>LivePreviewDialog</name>
    <message>
        <source>亮度、对比度调整（实时预览）</source>
        <translation>Brightness and Contrast (live preview)</translation>
    </message>
    <message>
        <source>&lt;b&gt;调整图像的亮度和对比度&lt;/b&gt;</source>
        <translation>&lt;b&gt;Adjust brightness and contrast&lt;/b&gt;</translation>
    </message>
    <message>
        <source>亮度 (-100 到 100):</source>
        <translation>Brightness (-100 to 100):</translation>
    </message>
    <message>
        <source>对比度 (-100 到 100):</source>
        <translation>Contrast (-100 to 100):</translation>
    </message>
    <message>
        <source>
&lt;b&gt;使用说明：&lt;/b&gt;
• 拖动滑块即可实时预览效果
• 亮度：正值变亮，负值变暗
• 对比度：正值增强，负值降低
• 点击确定应用，取消恢复原图</source>
        <translation>
&lt;b&gt;How to use:&lt;/b&gt;
• Drag a slider to preview live
• Brightness: positive lighter, negative darker
• Contrast: positive stronger, negative weaker
• OK applies, Cancel restores the original</translation>
    </message>
    <message>
        <source>色度、饱和度调整（实时预览）</source>
        <translation>Hue and Saturation (live preview)</translation>
    </message>
    <message>
        <source>&lt;b&gt;调整图像的色度和饱和度&lt;/b&gt;</source>
        <translation>&lt;b&gt;Adjust hue and saturation&lt;/b&gt;</translation>
    </message>
    <message>
        <source>色度 (-180 到 180):</source>
        <translation>Hue (-180 to 180):</translation>
    </message>
    <message>
        <source>饱和度 (-100 到 100):</source>
        <translation>Saturation (-100 to 100):</translation>
    </message>
    <message>
        <source>
&lt;b&gt;使用说明：&lt;/b&gt;
• 拖动滑块即可实时预览效果
• 色度：正值暖色调，负值冷色调
• 饱和度：正值更鲜艳，负值更灰暗
• 点击确定应用，取消恢复原图</source>
        <translation>
&lt;b&gt;How to use:&lt;/b&gt;
• Drag a slider to preview live
• Hue: positive warmer, negative cooler
• Saturation: positive more vivid, negative duller
• OK applies, Cancel restores the original</translation>
    </message>
    <message>
        <source>调整参数（拖动滑块实时预览）</source>
        <translation>Settings (drag a slider to preview)</translation>
    </message>
</context>
<context>
    <name>MailSender</name>
    <message>
        <source>文档</source>
        <translation>Document</translation>
    </message>
    <message>
        <source>未找到 xdg-email，无法打开邮件程序。请安装 xdg-utils。</source>
        <translation>xdg-email was not found, so no mail program can be opened. Please install xdg-utils.</translation>
    </message>
    <message>
        <source>无法创建邮件附件的临时文件夹：%1</source>
        <translation>Cannot create a temporary folder for the attachment: %1</translation>
    </message>
    <message>
        <source>无法生成邮件附件：%1</source>
        <translation>Cannot create the attachment: %1</translation>
    </message>
    <message>
        <source>无法启动邮件程序 %1。</source>
        <translation>Cannot start the mail program %1.</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>无法撤销</source>
        <translation>Cannot undo</translation>
    </message>
    <message>
        <source>无法从页面缓存取回这一步的页面，文档保持不变。</source>
        <translation>The pages of this step could not be read back from the page cache; the document is unchanged.</translation>
    </message>
    <message>
        <source>就绪</source>
        <translation>Ready</translation>
    </message>
    <message>
        <source>缩放: %1%</source>
        <translation>Zoom: %1%</translation>
    </message>
    <message>
        <source>页面</source>
        <translation>Pages</translation>
    </message>
    <message>
        <source>页面缓存写入失败，页面仅保存在内存中</source>
        <translation>Could not write the page cache; pages are kept in memory only</translation>
    </message>
    <message>
        <source>页面大小已设置为: %1</source>
        <translation>Page size set to: %1</translation>
    </message>
    <message>
        <source>文档错误</source>
        <translation>Document error</translation>
    </message>
    <message>
        <source>Quirra</source>
        <translation>Quirra</translation>
    </message>
    <message>
        <source>页面 %1/%2</source>
        <translation>Page %1/%2</translation>
    </message>
    <message>
        <source>未保存的更改</source>
        <translation>Unsaved changes</translation>
    </message>
    <message>
        <source>文档包含未保存的更改。
是否保存更改?</source>
        <translation>The document has unsaved changes.
Save them?</translation>
    </message>
    <message>
        <source>✓ 已切换到默认布局</source>
        <translation>✓ Switched to the default layout</translation>
    </message>
    <message>
        <source>✓ 已切换到反转布局</source>
        <translation>✓ Switched to the mirrored layout</translation>
    </message>
    <message>
        <source>✓ 已恢复默认布局</source>
        <translation>✓ Default layout restored</translation>
    </message>
    <message>
        <source>&lt;div align=&quot;center&quot;&gt;&lt;img src=&quot;:/icons/quirra.svg&quot; width=&quot;96&quot; height=&quot;96&quot;&gt;&lt;h2&gt;Quirra&lt;/h2&gt;&lt;p&gt;版本: %1&lt;/p&gt;&lt;p&gt;基于 Qt %2 与 SANE 后端&lt;/p&gt;&lt;p&gt;一个简单的扫描工具，支持多种扫描仪设备。&lt;/p&gt;&lt;p&gt;本软件不提供任何的担保。&lt;/p&gt;&lt;p&gt;感谢所使用的开源软件。&lt;/p&gt;&lt;/div&gt;</source>
        <translation>&lt;div align=&quot;center&quot;&gt;&lt;img src=&quot;:/icons/quirra.svg&quot; width=&quot;96&quot; height=&quot;96&quot;&gt;&lt;h2&gt;Quirra&lt;/h2&gt;&lt;p&gt;Version: %1&lt;/p&gt;&lt;p&gt;Built on Qt %2 and SANE backends&lt;/p&gt;&lt;p&gt;A simple scanning tool for many kinds of scanners.&lt;/p&gt;&lt;p&gt;This software comes with no warranty.&lt;/p&gt;&lt;p&gt;Thanks to the open-source software it uses.&lt;/p&gt;&lt;/div&gt;</translation>
    </message>
    <message>
        <source>关于Quirra</source>
        <translation>About Quirra</translation>
    </message>
    <message>
        <source>自动纠偏</source>
        <translation>Auto deskew</translation>
    </message>
    <message>
        <source>正在自动纠偏...</source>
        <translation>Deskewing...</translation>
    </message>
    <message>
        <source>自动纠偏完成</source>
        <translation>Deskew finished</translation>
    </message>
    <message>
        <source>未检测到需要校正的倾斜，页面未改变</source>
        <translation>No tilt to correct; the page is unchanged</translation>
    </message>
    <message>
        <source>裁切到纸张</source>
        <translation>Crop to paper</translation>
    </message>
    <message>
        <source>正在检测纸张边缘...</source>
        <translation>Finding the paper&apos;s edges...</translation>
    </message>
    <message>
        <source>已裁切到纸张边缘</source>
        <translation>Cropped to the paper&apos;s edges</translation>
    </message>
    <message>
        <source>未找到可靠的纸张边缘，页面未改变</source>
        <translation>No reliable paper edges found; the page is unchanged</translation>
    </message>
    <message>
        <source>自动转正</source>
        <translation>Auto orient</translation>
    </message>
    <message>
        <source>正在检测页面方向...</source>
        <translation>Detecting the page orientation...</translation>
    </message>
    <message>
        <source>页面已转正</source>
        <translation>Page turned upright</translation>
    </message>
    <message>
        <source>未能可靠判断页面方向，页面未改变</source>
        <translation>Could not tell the page orientation reliably; the page is unchanged</translation>
    </message>
    <message>
        <source>扫描错误</source>
        <translation>Scan error</translation>
    </message>
    <message>
        <source>未选择扫描仪</source>
        <translation>No scanner selected</translation>
    </message>
    <message>
        <source>已取消延时扫描模式</source>
        <translation>Delay scan mode cancelled</translation>
    </message>
    <message>
        <source>延时扫描模式已启动，倒计时: %1 秒...</source>
        <translation>Delay scan mode started, countdown: %1 s...</translation>
    </message>
    <message>
        <source>延时扫描倒计时: %1 秒... (已扫描 %2 张)</source>
        <translation>Delay scan countdown: %1 s... (%2 scanned)</translation>
    </message>
    <message>
        <source>开始扫描第 %1 张...</source>
        <translation>Scanning sheet %1...</translation>
    </message>
    <message>
        <source>第 %1 张扫描完成，准备扫描下一张，倒计时: %2 秒...</source>
        <translation>Sheet %1 scanned; next in %2 s...</translation>
    </message>
    <message>
        <source>检测到空白页已跳过，准备扫描下一张，倒计时: %1 秒... (已扫描 %2 张)</source>
        <translation>Blank page skipped; next in %1 s... (%2 scanned)</translation>
    </message>
    <message>
        <source>延时扫描完成！共扫描 %1 张图片。</source>
        <translation>Delay scan finished! Images scanned: %1.</translation>
    </message>
    <message>
        <source>延时扫描完成</source>
        <translation>Delay scan finished</translation>
    </message>
    <message>
        <source>是否现在保存扫描的图片？</source>
        <translation>Save the scanned images now?</translation>
    </message>
    <message>
        <source>🔍 正在搜索扫描仪（%1模式），请稍候...</source>
        <translation>🔍 Searching for scanners (%1), please wait...</translation>
    </message>
    <message>
        <source>✗ 未找到扫描仪设备，请检查连接或切换搜索模式</source>
        <translation>✗ No scanner found; check the connection or change the search mode</translation>
    </message>
    <message>
        <source>✓ 找到 1 个扫描仪，已自动选择</source>
        <translation>✓ Found 1 scanner and selected it</translation>
    </message>
    <message>
        <source>✓ 找到 %1 个扫描仪（本地 %2 个，网络 %3 个），已选择第一个</source>
        <translation>✓ Found %1 scanners (%2 local, %3 network); selected the first</translation>
    </message>
    <message>
        <source>✓ 找到 %1 个扫描仪，已选择第一个，可手动切换</source>
        <translation>✓ Found %1 scanners; selected the first, you can switch</translation>
    </message>
    <message>
        <source>未找到扫描仪设备</source>
        <translation>No scanner found</translation>
    </message>
    <message>
        <source>找到 1 个扫描仪，已自动选择</source>
        <translation>Found 1 scanner and selected it</translation>
    </message>
    <message>
        <source>找到 %1 个扫描仪，已选择第一个，可手动切换</source>
        <translation>Found %1 scanners; selected the first, you can switch</translation>
    </message>
    <message>
        <source>初始化失败: %1</source>
        <translation>Initialization failed: %1</translation>
    </message>
    <message>
        <source>初始化错误</source>
        <translation>Initialization error</translation>
    </message>
    <message>
        <source>✅ 已选择: %1 (原生 eSCL 模式)</source>
        <translation>✅ Selected: %1 (native eSCL)</translation>
    </message>
    <message>
        <source>扫描仪控制器未初始化，请先点击查找设备</source>
        <translation>The scanner controller is not ready; click Find devices first</translation>
    </message>
    <message>
        <source>正在连接扫描仪: %1...</source>
        <translation>Connecting to scanner: %1...</translation>
    </message>
    <message>
        <source>支持ADF</source>
        <translation>ADF</translation>
    </message>
    <message>
        <source>仅平板</source>
        <translation>Flatbed only</translation>
    </message>
    <message>
        <source>支持双面</source>
        <translation>Duplex</translation>
    </message>
    <message>
        <source>✅ 已选择: %1</source>
        <translation>✅ Selected: %1</translation>
    </message>
    <message>
        <source> (%1)</source>
        <translation> (%1)</translation>
    </message>
    <message>
        <source>❌ 无法连接扫描仪: %1</source>
        <translation>❌ Cannot connect to scanner: %1</translation>
    </message>
    <message>
        <source>扫描仪连接失败</source>
        <translation>Scanner connection failed</translation>
    </message>
    <message>
        <source>无法连接到扫描仪 &apos;%1&apos;。

可能的原因：
• 设备正在被其他程序使用
• 设备驱动未正确安装
• USB连接不稳定
• 网络设备连接超时

建议：
• 检查设备连接
• 重启设备
• 重新点击&apos;查找设备&apos;</source>
        <translation>Cannot connect to scanner &apos;%1&apos;.

Possible causes:
• Another program is using the device
• The device driver is not installed correctly
• The USB connection is unstable
• The network device timed out

Suggestions:
• Check the device connection
• Restart the device
• Click &apos;Find devices&apos; again</translation>
    </message>
    <message>
        <source>扫描模式已更新：%1</source>
        <translation>Search mode updated: %1</translation>
    </message>
    <message>
        <source>扫描模式已切换到：%1，请点击 [查找设备] 按钮重新搜索扫描仪</source>
        <translation>Search mode changed to: %1; click [Find devices] to search again</translation>
    </message>
    <message>
        <source>无效的 URL</source>
        <translation>Invalid URL</translation>
    </message>
    <message>
        <source>正在验证 eSCL 设备...</source>
        <translation>Checking the eSCL device...</translation>
    </message>
    <message>
        <source>设备验证失败</source>
        <translation>Device check failed</translation>
    </message>
    <message>
        <source>无法连接</source>
        <translation>Cannot connect</translation>
    </message>
    <message>
        <source>无法连接到 eSCL 设备: %1

请检查:
  • URL 是否正确
  • 扫描仪是否开机
  • 网络连接是否正常
  • 防火墙设置</source>
        <translation>Cannot connect to the eSCL device: %1

Please check:
  • the URL
  • that the scanner is on
  • the network connection
  • the firewall settings</translation>
    </message>
    <message>
        <source>此 eSCL 设备已经添加过了: %1</source>
        <translation>This eSCL device is already added: %1</translation>
    </message>
    <message>
        <source>已添加 eSCL 设备: %1，现在可以选择此设备进行扫描</source>
        <translation>eSCL device added: %1; you can now choose it for scanning</translation>
    </message>
    <message>
        <source>当前没有已添加的 eSCL 设备</source>
        <translation>No eSCL devices have been added</translation>
    </message>
    <message>
        <source>确认删除</source>
        <translation>Confirm removal</translation>
    </message>
    <message>
        <source>确定要删除此 eSCL 设备吗？

设备: %1
URL: %2

删除后需要重新添加才能使用。</source>
        <translation>Remove this eSCL device?

Device: %1
URL: %2

It must be added again before use.</translation>
    </message>
    <message>
        <source>已删除 eSCL 设备: %1</source>
        <translation>eSCL device removed: %1</translation>
    </message>
    <message>
        <source>左旋转</source>
        <translation>Rotate left</translation>
    </message>
    <message>
        <source>右旋转</source>
        <translation>Rotate right</translation>
    </message>
    <message>
        <source>灰度化</source>
        <translation>Grayscale</translation>
    </message>
    <message>
        <source>黑白化</source>
        <translation>Black &amp; white</translation>
    </message>
    <message>
        <source>正在自动调整图像...</source>
        <translation>Auto adjusting the image...</translation>
    </message>
    <message>
        <source>自动调整完成</source>
        <translation>Auto adjust finished</translation>
    </message>
    <message>
        <source>自动色阶</source>
        <translation>Auto levels</translation>
    </message>
    <message>
        <source>没有可裁剪的图像</source>
        <translation>No image to crop</translation>
    </message>
    <message>
        <source>已取消裁剪模式</source>
        <translation>Crop mode cancelled</translation>
    </message>
    <message>
        <source>裁剪模式已启用 - 拖拽选择区域，ESC取消，Ctrl+R切换</source>
        <translation>Crop mode on - drag to select, Esc cancels, Ctrl+R toggles</translation>
    </message>
    <message>
        <source>无法裁剪图像，请检查选择区域</source>
        <translation>Cannot crop the image; check the selection</translation>
    </message>
    <message>
        <source>裁剪</source>
        <translation>Crop</translation>
    </message>
    <message>
        <source>图像裁剪完成</source>
        <translation>Image cropped</translation>
    </message>
    <message>
        <source>已取消裁剪操作</source>
        <translation>Crop cancelled</translation>
    </message>
    <message>
        <source>旋转角度为0，无需调整</source>
        <translation>The angle is 0; nothing to rotate</translation>
    </message>
    <message>
        <source>正在旋转图像 %1 度...</source>
        <translation>Rotating the image by %1°...</translation>
    </message>
    <message>
        <source>角度调整失败，请重试</source>
        <translation>Rotation failed; please try again</translation>
    </message>
    <message>
        <source>角度调整</source>
        <translation>Rotate by angle</translation>
    </message>
    <message>
        <source>角度调整完成：旋转 %1 度</source>
        <translation>Rotation finished: %1°</translation>
    </message>
    <message>
        <source>正在进行文档增强处理（保留彩色，突出内容）...</source>
        <translation>Enhancing the document (keeping color, bringing out content)...</translation>
    </message>
    <message>
        <source>文档增强</source>
        <translation>Enhance document</translation>
    </message>
    <message>
        <source>文档增强完成，已保留彩色并突出内容</source>
        <translation>Document enhanced; color kept and content brought out</translation>
    </message>
    <message>
        <source>去除边框</source>
        <translation>Remove border</translation>
    </message>
    <message>
        <source>请输入要去除的边框宽度（像素）:</source>
        <translation>Border width to remove (pixels):</translation>
    </message>
    <message>
        <source>正在去除边框...</source>
        <translation>Removing border...</translation>
    </message>
    <message>
        <source>边框去除完成</source>
        <translation>Border removed</translation>
    </message>
    <message>
        <source>正在进行图片漂白处理...</source>
        <translation>Whitening the image...</translation>
    </message>
    <message>
        <source>图片漂白处理失败，请检查图像格式</source>
        <translation>Whitening failed; check the image format</translation>
    </message>
    <message>
        <source>图片漂白</source>
        <translation>Whiten</translation>
    </message>
    <message>
        <source>图片漂白处理完成</source>
        <translation>Whitening finished</translation>
    </message>
    <message>
        <source>亮度对比度</source>
        <translation>Brightness/contrast</translation>
    </message>
    <message>
        <source>亮度对比度调整完成</source>
        <translation>Brightness/contrast adjusted</translation>
    </message>
    <message>
        <source>色度饱和度</source>
        <translation>Hue/saturation</translation>
    </message>
    <message>
        <source>色度饱和度调整完成</source>
        <translation>Hue/saturation adjusted</translation>
    </message>
    <message>
        <source>没有可撤销的操作</source>
        <translation>Nothing to undo</translation>
    </message>
    <message>
        <source>已撤销操作（剩余 %1 步可撤销）</source>
        <translation>Undone (steps left to undo: %1)</translation>
    </message>
    <message>
        <source>没有可重做的操作</source>
        <translation>Nothing to redo</translation>
    </message>
    <message>
        <source>已重做: %1</source>
        <translation>Redone: %1</translation>
    </message>
    <message>
        <source>已启用自动去除空白页功能</source>
        <translation>Automatic blank page removal on</translation>
    </message>
    <message>
        <source>已关闭自动去除空白页功能</source>
        <translation>Automatic blank page removal off</translation>
    </message>
    <message>
        <source>空白页检测参数已更新：白色阈值=%1, 阈值范围=%2</source>
        <translation>Blank page settings updated: white threshold=%1, blank ratio=%2</translation>
    </message>
    <message>
        <source>请先选择要批注的图片</source>
        <translation>Select an image to annotate first</translation>
    </message>
    <message>
        <source>无法获取当前图片</source>
        <translation>Cannot get the current image</translation>
    </message>
    <message>
        <source>批注已取消</source>
        <translation>Annotation cancelled</translation>
    </message>
    <message>
        <source>批注标记</source>
        <translation>Annotate</translation>
    </message>
    <message>
        <source>批注已应用</source>
        <translation>Annotations applied</translation>
    </message>
    <message>
        <source>请先选择要处理的图像</source>
        <translation>Select an image to process first</translation>
    </message>
    <message>
        <source>页面已被删除，处理结果未写回</source>
        <translation>The page was deleted; the result was not written back</translation>
    </message>
    <message>
        <source>已取消调整</source>
        <translation>Adjustment cancelled</translation>
    </message>
    <message>
        <source>未进行任何调整</source>
        <translation>Nothing was adjusted</translation>
    </message>
    <message>
        <source>PDF密码 - %1</source>
        <translation>PDF password - %1</translation>
    </message>
    <message>
        <source>密码错误</source>
        <translation>Wrong password</translation>
    </message>
    <message>
        <source>请输入PDF密码</source>
        <translation>Enter the PDF password</translation>
    </message>
    <message>
        <source>导入已取消</source>
        <translation>Import cancelled</translation>
    </message>
    <message>
        <source>添加图片</source>
        <translation>Add Images</translation>
    </message>
    <message>
        <source>图片已添加: %1</source>
        <translation>Image added: %1</translation>
    </message>
    <message>
        <source>图片已插入: %1</source>
        <translation>Image inserted: %1</translation>
    </message>
    <message>
        <source>已导入 %1 页</source>
        <translation>Pages imported: %1</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>无法加载图片文件: %1
请检查文件格式是否支持。</source>
        <translation>Cannot load the image file: %1
Check that its format is supported.</translation>
    </message>
    <message>
        <source>部分页面未导入</source>
        <translation>Some pages not imported</translation>
    </message>
    <message>
        <source>不是图片或PDF，未导入: %1</source>
        <translation>Not an image or PDF, not imported: %1</translation>
    </message>
    <message>
        <source>正在导入，请稍候</source>
        <translation>Importing, please wait</translation>
    </message>
    <message>
        <source>请选择2张图片进行合并（按住 Ctrl 或 Shift 键可以选择多张图片）</source>
        <translation>Select 2 images to merge (hold Ctrl or Shift to select several)</translation>
    </message>
    <message>
        <source>正在处理图片...</source>
        <translation>Processing images...</translation>
    </message>
    <message>
        <source>无法获取选中的图片</source>
        <translation>Cannot get the selected images</translation>
    </message>
    <message>
        <source>图片合并失败，请检查图片格式</source>
        <translation>Merging failed; check the image format</translation>
    </message>
    <message>
        <source>合并图片</source>
        <translation>Merge images</translation>
    </message>
    <message>
        <source>删除页面</source>
        <translation>Delete pages</translation>
    </message>
    <message>
        <source>合并完成！尺寸: %1 × %2 像素</source>
        <translation>Merged! Size: %1 × %2 pixels</translation>
    </message>
    <message>
        <source>左右拆分</source>
        <translation>Split left/right</translation>
    </message>
    <message>
        <source>上下拆分</source>
        <translation>Split top/bottom</translation>
    </message>
    <message>
        <source>文字识别不可用</source>
        <translation>Text recognition unavailable</translation>
    </message>
    <message>
        <source>正在识别文字 %1/%2</source>
        <translation>Recognizing text %1/%2</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>文字识别已取消，%1页保存时没有文字层</source>
        <translation>Text recognition cancelled; pages saved without a text layer: %1</translation>
    </message>
    <message>
        <source>请先选择一个页面</source>
        <translation>Select a page first</translation>
    </message>
    <message>
        <source>无法识别此页面的文字</source>
        <translation>Cannot recognize the text of this page</translation>
    </message>
    <message>
        <source>页面 %1</source>
        <translation>Page %1</translation>
    </message>
    <message>
        <source>图像和PDF文件 (*.png *.jpg *.jpeg *.bmp *.tiff *.tif *.pdf);;图像文件 (*.png *.jpg *.jpeg *.bmp *.tiff *.tif);;PDF文件 (*.pdf);;所有文件 (*.*)</source>
        <translation>Images and PDF files (*.png *.jpg *.jpeg *.bmp *.tiff *.tif *.pdf);;Images (*.png *.jpg *.jpeg *.bmp *.tiff *.tif);;PDF files (*.pdf);;All files (*.*)</translation>
    </message>
    <message>
        <source>页面操作</source>
        <translation>Page actions</translation>
    </message>
    <message>
        <source>从文件添加新图片到文档末尾</source>
        <translation>Add new images from files at the end of the document</translation>
    </message>
    <message>
        <source>插入图片</source>
        <translation>Insert images</translation>
    </message>
    <message>
        <source>在当前位置插入新图片</source>
        <translation>Insert new images at the current position</translation>
    </message>
    <message>
        <source>上移</source>
        <translation>Move up</translation>
    </message>
    <message>
        <source>将此页面向上移动一位</source>
        <translation>Move this page up by one</translation>
    </message>
    <message>
        <source>下移</source>
        <translation>Move down</translation>
    </message>
    <message>
        <source>将此页面向下移动一位</source>
        <translation>Move this page down by one</translation>
    </message>
    <message>
        <source>拆分图片</source>
        <translation>Split image</translation>
    </message>
    <message>
        <source>将图片拆分为多个部分</source>
        <translation>Split the image into several parts</translation>
    </message>
    <message>
        <source>从中间左右拆分，适合左右排列的证件</source>
        <translation>Split down the middle into left and right; for side-by-side ID cards</translation>
    </message>
    <message>
        <source>从中间上下拆分，适合上下排列的证件</source>
        <translation>Split across the middle into top and bottom; for stacked ID cards</translation>
    </message>
    <message>
        <source>识别文字</source>
        <translation>Recognized text</translation>
    </message>
    <message>
        <source>显示此页面识别出的文字</source>
        <translation>Show the text recognized on this page</translation>
    </message>
    <message>
        <source>删除此页</source>
        <translation>Delete this page</translation>
    </message>
    <message>
        <source>删除当前选中的页面</source>
        <translation>Delete the selected page</translation>
    </message>
    <message>
        <source>暂无页面</source>
        <translation>No pages yet</translation>
    </message>
    <message>
        <source>添加图片开始创建文档</source>
        <translation>Add images to start a document</translation>
    </message>
    <message>
        <source>清空所有页面</source>
        <translation>Clear all pages</translation>
    </message>
    <message>
        <source>删除所有页面，创建新文档</source>
        <translation>Delete all pages and start a new document</translation>
    </message>
    <message>
        <source>已删除 %1 页（Ctrl+Z 可撤销）</source>
        <translation>Pages deleted: %1 (Ctrl+Z undoes)</translation>
    </message>
    <message>
        <source>页面已上移</source>
        <translation>Page moved up</translation>
    </message>
    <message>
        <source>页面已下移</source>
        <translation>Page moved down</translation>
    </message>
    <message>
        <source>移动页面</source>
        <translation>Move page</translation>
    </message>
    <message>
        <source>清除所有页面</source>
        <translation>Clear all pages</translation>
    </message>
    <message>
        <source>所有页面已清空（Ctrl+Z 可撤销）</source>
        <translation>All pages cleared (Ctrl+Z undoes)</translation>
    </message>
    <message>
        <source>没有可保存的图像</source>
        <translation>No image to save</translation>
    </message>
    <message>
        <source>保存当前图像</source>
        <translation>Save current image</translation>
    </message>
    <message>
        <source>%1文件 (*.%2);;所有文件 (*.*)</source>
        <translation>%1 files (*.%2);;All files (*.*)</translation>
    </message>
    <message>
        <source>保存失败</source>
        <translation>Save failed</translation>
    </message>
    <message>
        <source>无法保存图像到: %1</source>
        <translation>Cannot save the image to: %1</translation>
    </message>
    <message>
        <source>图像已保存到 %1</source>
        <translation>Image saved to %1</translation>
    </message>
    <message>
        <source>已保存为 %1 格式到: %2</source>
        <translation>Saved as %1 to: %2</translation>
    </message>
    <message>
        <source>保存文档</source>
        <translation>Save document</translation>
    </message>
    <message>
        <source>PDF文件 (*.pdf);;TIFF图像 (*.tiff);;PNG图像 (*.png);;JPEG图像 (*.jpg);;BMP图像 (*.bmp);;所有文件 (*.*)</source>
        <translation>PDF files (*.pdf);;TIFF images (*.tiff);;PNG images (*.png);;JPEG images (*.jpg);;BMP images (*.bmp);;All files (*.*)</translation>
    </message>
    <message>
        <source>没有可保存的页面</source>
        <translation>No pages to save</translation>
    </message>
    <message>
        <source>保存多页文档</source>
        <translation>Save multipage document</translation>
    </message>
    <message>
        <source>%1文件 (*.%2)</source>
        <translation>%1 files (*.%2)</translation>
    </message>
    <message>
        <source>已保存 %1 页到 %2</source>
        <translation>Saved to %2 (pages: %1)</translation>
    </message>
    <message>
        <source>导出格式</source>
        <translation>Export format</translation>
    </message>
    <message>
        <source>选择导出格式:</source>
        <translation>Export format:</translation>
    </message>
    <message>
        <source>导出文档</source>
        <translation>Export document</translation>
    </message>
    <message>
        <source>所有文件 (*.*)</source>
        <translation>All files (*.*)</translation>
    </message>
    <message>
        <source>打开文档</source>
        <translation>Open document</translation>
    </message>
    <message>
        <source>所有支持的文件 (*.png *.jpg *.jpeg *.bmp *.tiff *.tif *.pdf);;图像文件 (*.png *.jpg *.jpeg *.bmp *.tiff *.tif);;PDF文件 (*.pdf);;所有文件 (*.*)</source>
        <translation>All supported files (*.png *.jpg *.jpeg *.bmp *.tiff *.tif *.pdf);;Images (*.png *.jpg *.jpeg *.bmp *.tiff *.tif);;PDF files (*.pdf);;All files (*.*)</translation>
    </message>
    <message>
        <source>无法找到 eSCL 设备的 URL

请尝试重新添加设备。</source>
        <translation>Cannot find the URL of the eSCL device

Please add the device again.</translation>
    </message>
    <message>
        <source>扫描已取消</source>
        <translation>Scan cancelled</translation>
    </message>
    <message>
        <source>正在扫描...</source>
        <translation>Scanning...</translation>
    </message>
    <message>
        <source>正在预览...</source>
        <translation>Previewing...</translation>
    </message>
    <message>
        <source>正在初始化扫描仪，请稍候...</source>
        <translation>Setting up the scanner, please wait...</translation>
    </message>
    <message>
        <source>已扫描第 %1 页...</source>
        <translation>Scanned page %1...</translation>
    </message>
    <message>
        <source>✅ 扫描完成！共 %1 页</source>
        <translation>✅ Scan finished! Pages: %1</translation>
    </message>
    <message>
        <source>检测到空白页，已自动跳过</source>
        <translation>Blank page detected and skipped</translation>
    </message>
    <message>
        <source>已扫描第 %1 页</source>
        <translation>Scanned page %1</translation>
    </message>
    <message>
        <source>扫描完成</source>
        <translation>Scan finished</translation>
    </message>
    <message>
        <source>检测到输稿器中有文档，准备扫描</source>
        <translation>Paper detected in the feeder, ready to scan</translation>
    </message>
    <message>
        <source>未检测到输稿器中的文档（可能是传感器问题）</source>
        <translation>No paper detected in the feeder (maybe a sensor problem)</translation>
    </message>
    <message>
        <source>输稿器纸张检测</source>
        <translation>Feeder paper check</translation>
    </message>
    <message>
        <source>程序未检测到输稿器中的纸张。</source>
        <translation>No paper was detected in the feeder.</translation>
    </message>
    <message>
        <source>这可能是因为：
1. 输稿器中确实没有纸张
2. 纸张传感器检测不准确
3. 扫描仪不支持纸张检测

请确认输稿器中已放置纸张，然后选择操作：</source>
        <translation>This may be because:
1. The feeder really is empty
2. The paper sensor is inaccurate
3. The scanner cannot detect paper

Make sure paper is in the feeder, then choose:</translation>
    </message>
    <message>
        <source>继续扫描</source>
        <translation>Continue scanning</translation>
    </message>
    <message>
        <source>强制启动ADF扫描...</source>
        <translation>Forcing an ADF scan...</translation>
    </message>
    <message>
        <source>开始多页扫描...</source>
        <translation>Starting multipage scan...</translation>
    </message>
    <message>
        <source>正在扫描第 %1 页...</source>
        <translation>Scanning page %1...</translation>
    </message>
    <message>
        <source>多页扫描完成，共扫描 %1 页</source>
        <translation>Multipage scan finished; pages scanned: %1</translation>
    </message>
    <message>
        <source>已自动保存为 %1 格式到: %2</source>
        <translation>Auto-saved as %1 to: %2</translation>
    </message>
    <message>
        <source>无法自动保存扫描结果到: %1，请检查路径和权限设置</source>
        <translation>Could not auto-save the scan to: %1; check the path and permissions</translation>
    </message>
    <message>
        <source>多页扫描文档</source>
        <translation>Multipage scan</translation>
    </message>
    <message>
        <source>已自动保存 %1 页为PDF: %2</source>
        <translation>Auto-saved as PDF (pages: %1): %2</translation>
    </message>
    <message>
        <source>无法保存多页PDF到: %1</source>
        <translation>Cannot save the multipage PDF to: %1</translation>
    </message>
    <message>
        <source>已自动保存 %1 页为 %2 格式</source>
        <translation>Auto-saved as %2 (pages: %1)</translation>
    </message>
    <message>
        <source>多页自动保存失败：无法保存任何图像文件</source>
        <translation>Multipage auto-save failed: no image file could be saved</translation>
    </message>
    <message>
        <source>已自动保存 %1 个文件</source>
        <translation>Files auto-saved: %1</translation>
    </message>
    <message>
        <source>URL 必须以 http:// 或 https:// 开头

示例: %1</source>
        <translation>The URL must start with http:// or https://

Example: %1</translation>
    </message>
    <message>
        <source>图片合并完成，原始图片已删除 - %1</source>
        <translation>Images merged; the originals were deleted - %1</translation>
    </message>
    <message>
        <source>%1；%2</source>
        <translation>%1; %2</translation>
    </message>
    <message>
        <source>左右拆分完成，左右两部分已插入到本页之后</source>
        <translation>Split left/right; both halves were inserted after this page</translation>
    </message>
    <message>
        <source>上下拆分完成，上下两部分已插入到本页之后</source>
        <translation>Split top/bottom; both halves were inserted after this page</translation>
    </message>
    <message>
        <source>拆分多张原稿</source>
        <translation>Separate originals</translation>
    </message>
    <message>
        <source>把此页上的每张原稿（收据、卡片、照片）拆成单独的页面</source>
        <translation>Make each original on this page (receipt, card, photo) a page of its own</translation>
    </message>
    <message>
        <source>按规则分割文档</source>
        <translation>Split document by rule</translation>
    </message>
    <message>
        <source>按扫描设置中的分割规则把文档保存为多个文件</source>
        <translation>Save the document as several files by the split rule in the scan settings</translation>
    </message>
    <message>
        <source>预览完成：拖动选择要扫描的区域，然后点击“扫描”</source>
        <translation>Preview ready: drag to select the area to scan, then click &quot;Scan&quot;</translation>
    </message>
    <message>
        <source>已清除选区，按页面大小扫描</source>
        <translation>Selection cleared; scanning the page size</translation>
    </message>
    <message>
        <source>正在查找多张原稿...</source>
        <translation>Looking for separate originals...</translation>
    </message>
    <message>
        <source>（%1 处过小、%2 处相互接触的原稿未拆分）</source>
        <translation> (not separated: %1 too small, %2 touching)</translation>
    </message>
    <message>
        <source>此页上没有找到多张原稿，页面保持不变%1</source>
        <translation>No separate originals found on this page; the page is unchanged%1</translation>
    </message>
    <message>
        <source>已拆分出 %1 张原稿%2</source>
        <translation>Originals separated: %1%2</translation>
    </message>
    <message>
        <source>没有可打印的页面</source>
        <translation>No pages to print</translation>
    </message>
    <message>
        <source>缩放</source>
        <translation>Scaling</translation>
    </message>
    <message>
        <source>正在打印...</source>
        <translation>Printing...</translation>
    </message>
    <message>
        <source>打印失败</source>
        <translation>Printing failed</translation>
    </message>
    <message>
        <source>已打印 %1 页</source>
        <translation>Pages printed: %1</translation>
    </message>
    <message>
        <source>打印已取消</source>
        <translation>Printing cancelled</translation>
    </message>
    <message>
        <source>没有可发送的页面</source>
        <translation>No pages to send</translation>
    </message>
    <message>
        <source>无法写入PDF附件: %1</source>
        <translation>Cannot write the PDF attachment: %1</translation>
    </message>
    <message>
        <source>发送邮件</source>
        <translation>Send by Email</translation>
    </message>
    <message>
        <source>已打开邮件程序，附件: %1</source>
        <translation>Mail program opened, attachment: %1</translation>
    </message>
    <message>
        <source>扫描方案:</source>
        <translation>Profile:</translation>
    </message>
    <message>
        <source>保存为方案</source>
        <translation>Save Profile</translation>
    </message>
    <message>
        <source>方案名称:</source>
        <translation>Name for the new profile:</translation>
    </message>
    <message>
        <source>已有名为“%1”的方案，要替换它吗？</source>
        <translation>A profile named &quot;%1&quot; exists. Replace it?</translation>
    </message>
    <message>
        <source>已保存扫描方案“%1”</source>
        <translation>Scan profile &quot;%1&quot; saved</translation>
    </message>
    <message>
        <source>正在按规则分割文档...</source>
        <translation>Splitting the document by rule...</translation>
    </message>
    <message>
        <source>已取消分割文档</source>
        <translation>Document split cancelled</translation>
    </message>
    <message>
        <source>分割文档失败：%1</source>
        <translation>Splitting the document failed: %1</translation>
    </message>
    <message>
        <source>已分割为 %1 个文件</source>
        <translation>Files written: %1</translation>
    </message>
    <message>
        <source>请先在“分割文档:”中选择分割规则</source>
        <translation>Choose a rule under &quot;Split:&quot; first</translation>
    </message>
    <message>
        <source>已自动保存 %1 页为PDF: %2，其中 %3 页文字识别失败，保存时没有文字层</source>
        <translation>Auto-saved as PDF (pages: %1): %2; pages without a text layer after failed recognition: %3</translation>
    </message>
    <message>
        <source>自动保存将在文字识别完成后写入: %1</source>
        <translation>Auto-save will write once text recognition is done: %1</translation>
    </message>
    <message>
        <source>选区超出了扫描仪的稿台，已裁到稿台范围</source>
        <translation>The selection went beyond the scanner&apos;s bed and was cut to it</translation>
    </message>
    <message>
        <source>已取消预览</source>
        <translation>Preview cancelled</translation>
    </message>
    <message>
        <source>预览失败: %1</source>
        <translation>Preview failed: %1</translation>
    </message>
    <message>
        <source>正在预览...（再次点击“预览”可取消）</source>
        <translation>Previewing... (click &quot;Preview&quot; again to cancel)</translation>
    </message>
    <message>
        <source>%1，分为 %2 个文件</source>
        <translation>%1, in %2 files</translation>
    </message>
    <message>
        <source>已取消保存，没有写入文件</source>
        <translation>Save cancelled; no file was written</translation>
    </message>
    <message>
        <source>未保存：文件超过大小上限</source>
        <translation>Not saved: the file is over the size limit</translation>
    </message>
    <message>
        <source>无法找到 eSCL 设备的 URL，请尝试重新添加设备</source>
        <translation>Cannot find the URL of the eSCL device; please add the device again</translation>
    </message>
    <message>
        <source>已自动保存 %1 页为PDF: %2，%3</source>
        <translation>Auto-saved as PDF (pages: %1): %2, %3</translation>
    </message>
</context>
<context>
    <name>MergeDialog</name>
    <message>
        <source>合并图片</source>
        <translation>Merge images</translation>
    </message>
    <message>
        <source>&lt;b&gt;合并图片&lt;/b&gt;</source>
        <translation>&lt;b&gt;Merge images&lt;/b&gt;</translation>
    </message>
    <message>
        <source>已选择 2 张图片</source>
        <translation>2 images selected</translation>
    </message>
    <message>
        <source>合并方式</source>
        <translation>Layout</translation>
    </message>
    <message>
        <source>左右合并（适合身份证、驾驶证等横向证件）</source>
        <translation>Side by side (ID cards, driving licences and other landscape cards)</translation>
    </message>
    <message>
        <source>上下合并（适合户口本、竖向证件或文档）</source>
        <translation>Top and bottom (household registers, portrait cards or documents)</translation>
    </message>
    <message>
        <source>图片间距</source>
        <translation>Gap between images</translation>
    </message>
    <message>
        <source> 像素</source>
        <translation> px</translation>
    </message>
    <message>
        <source>间距:</source>
        <translation>Gap:</translation>
    </message>
    <message>
        <source>智能拆分图片（推荐）</source>
        <translation>Smart split (recommended)</translation>
    </message>
    <message>
        <source>自动检测包含多个内容的图片，拆分后保留需要的部分</source>
        <translation>Detect images that hold several items, split them and keep the part needed</translation>
    </message>
    <message>
        <source>自动裁剪空白边缘</source>
        <translation>Auto crop blank edges</translation>
    </message>
    <message>
        <source>自动检测并裁剪图片周围的空白区域</source>
        <translation>Detect and crop the blank area around the image</translation>
    </message>
    <message>
        <source>边缘裁剪（避免黑白边）</source>
        <translation>Edge trim (avoids black or white edges)</translation>
    </message>
    <message>
        <source>启用边缘裁剪</source>
        <translation>Trim edges</translation>
    </message>
    <message>
        <source>裁剪图片四周边缘，避免扫描产生的黑白边</source>
        <translation>Trim the edges of each image to avoid the black or white edges of scans</translation>
    </message>
    <message>
        <source>裁剪宽度:</source>
        <translation>Trim width:</translation>
    </message>
    <message>
        <source>裁剪图片四周的像素数量</source>
        <translation>Pixels trimmed from each edge</translation>
    </message>
    <message>
        <source>合并后删除原始图片</source>
        <translation>Delete the originals after merging</translation>
    </message>
    <message>
        <source>&lt;b&gt;智能合并说明：&lt;/b&gt;&lt;br&gt;• 智能拆分：检测到包含多个内容的图片时，自动拆分并保留需要的部分&lt;br&gt;• 自动裁剪：去除图片周围的空白，提取实际内容&lt;br&gt;• 边缘裁剪：裁剪图片四周边缘，避免扫描产生的黑白边&lt;br&gt;• 合并后的图片将添加到页面列表末尾&lt;br&gt;• 图片将自动居中对齐，背景为白色</source>
        <translation>&lt;b&gt;About smart merge:&lt;/b&gt;&lt;br&gt;• Smart split: an image holding several items is split and the needed part kept&lt;br&gt;• Auto crop: removes the blank area around the content&lt;br&gt;• Edge trim: trims each edge to avoid the black or white edges of scans&lt;br&gt;• The merged image is added at the end of the page list&lt;br&gt;• Images are centred on a white background</translation>
    </message>
</context>
<context>
    <name>MrcEncoder</name>
    <message>
        <source>页面太小</source>
        <translation>The page is too small</translation>
    </message>
    <message>
        <source>页面太长</source>
        <translation>The page is too long</translation>
    </message>
    <message>
        <source>页面没有文字或线条</source>
        <translation>The page has no text or lines</translation>
    </message>
    <message>
        <source>页面大部分是深色</source>
        <translation>The page is mostly dark</translation>
    </message>
    <message>
        <source>页面以图片为主</source>
        <translation>The page is mostly pictures</translation>
    </message>
</context>
<context>
    <name>PageEncoder</name>
    <message>
        <source>文字层压缩效果不佳</source>
        <translation>The text layers compress poorly</translation>
    </message>
    <message>
        <source>没有图像</source>
        <translation>No image</translation>
    </message>
    <message>
        <source>无法编码黑白页面</source>
        <translation>Cannot encode the black-and-white page</translation>
    </message>
</context>
<context>
    <name>PageFileReader</name>
    <message>
        <source>文件不存在: %1</source>
        <translation>File not found: %1</translation>
    </message>
    <message>
        <source>不支持的文件格式: %1</source>
        <translation>Unsupported file format: %1</translation>
    </message>
    <message>
        <source>无法读取PDF文件: %1</source>
        <translation>Cannot read the PDF file: %1</translation>
    </message>
    <message>
        <source>无法读取图像文件: %1</source>
        <translation>Cannot read the image file: %1</translation>
    </message>
    <message>
        <source>文件中没有页面: %1</source>
        <translation>The file has no pages: %1</translation>
    </message>
    <message>
        <source>文件有%1页，超过了每个文件%2页的上限: %3</source>
        <translation>The file has %1 pages, more than the limit of %2 pages per file: %3</translation>
    </message>
    <message>
        <source>读取图像失败: %1</source>
        <translation>Could not read the image: %1</translation>
    </message>
    <message>
        <source>PDF文件第%1页无法读取: %2</source>
        <translation>Page %1 of the PDF file cannot be read: %2</translation>
    </message>
    <message>
        <source>第%1页超过%2百万像素的上限，未导入: %3</source>
        <translation>Page %1 is larger than the limit of %2 megapixels, not imported: %3</translation>
    </message>
    <message>
        <source>PDF文件第%1页无法渲染: %2</source>
        <translation>Page %1 of the PDF file cannot be rendered: %2</translation>
    </message>
    <message>
        <source>文件已损坏或不完整: %1</source>
        <translation>The file is damaged or incomplete: %1</translation>
    </message>
</context>
<context>
    <name>PageImporter</name>
    <message>
        <source>此PDF文件需要密码: %1</source>
        <translation>This PDF file needs a password: %1</translation>
    </message>
    <message>
        <source>未输入密码，未导入: %1</source>
        <translation>No password given, not imported: %1</translation>
    </message>
    <message>
        <source>无法保存导入的页面: %1</source>
        <translation>Cannot store the imported page: %1</translation>
    </message>
    <message>
        <source>文件中没有可导入的页面: %1</source>
        <translation>The file has no pages to import: %1</translation>
    </message>
</context>
<context>
    <name>PageMerger</name>
    <message>
        <source>检测到多个内容区域，正在智能拆分...</source>
        <translation>Several content areas found, splitting...</translation>
    </message>
    <message>
        <source>正在拆分第一张图片...</source>
        <translation>Splitting the first image...</translation>
    </message>
    <message>
        <source>正在拆分第二张图片...</source>
        <translation>Splitting the second image...</translation>
    </message>
    <message>
        <source>正在裁剪第一张图片...</source>
        <translation>Cropping the first image...</translation>
    </message>
    <message>
        <source>正在裁剪第二张图片...</source>
        <translation>Cropping the second image...</translation>
    </message>
    <message>
        <source>正在合并图片...</source>
        <translation>Merging images...</translation>
    </message>
</context>
<context>
    <name>PagePrinter</name>
    <message>
        <source>无法开始打印到“%1”：打印机不可用或无法写入。</source>
        <translation>Cannot start printing to &quot;%1&quot;: the printer is unavailable or cannot be written to.</translation>
    </message>
    <message>
        <source>无法读取第 %1 页，打印已停止。</source>
        <translation>Cannot read page %1; printing stopped.</translation>
    </message>
    <message>
        <source>打印机在第 %1 页出错，打印已停止。</source>
        <translation>The printer failed on page %1; printing stopped.</translation>
    </message>
    <message>
        <source>打印机未能完成打印“%1”。</source>
        <translation>The printer could not finish printing &quot;%1&quot;.</translation>
    </message>
</context>
<context>
    <name>PreferencesDialog</name>
    <message>
        <source>首选项</source>
        <translation>Preferences</translation>
    </message>
    <message>
        <source>跟随系统</source>
        <translation>Follow system</translation>
    </message>
    <message>
        <source>界面语言:</source>
        <translation>Language:</translation>
    </message>
    <message>
        <source>界面语言将在重新启动后生效</source>
        <translation>The language changes after a restart</translation>
    </message>
</context>
<context>
    <name>PrintFitOptions</name>
    <message>
        <source>页面缩放</source>
        <translation>Page scaling</translation>
    </message>
    <message>
        <source>适合纸张</source>
        <translation>Fit to paper</translation>
    </message>
    <message>
        <source>不勾选时按扫描时的实际尺寸打印，大于纸张的页面缩小到纸张大小。</source>
        <translation>When off, pages print at their scanned size; pages larger than the paper are shrunk to fit.</translation>
    </message>
</context>
<context>
    <name>ProfileManagerDialog</name>
    <message>
        <source>管理扫描方案</source>
        <translation>Manage Scan Profiles</translation>
    </message>
    <message>
        <source>重命名…</source>
        <translation>Rename…</translation>
    </message>
    <message>
        <source>复制</source>
        <translation>Duplicate</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>导出…</source>
        <translation>Export…</translation>
    </message>
    <message>
        <source>导入…</source>
        <translation>Import…</translation>
    </message>
    <message>
        <source>重命名方案</source>
        <translation>Rename</translation>
    </message>
    <message>
        <source>新名称:</source>
        <translation>New name for the profile:</translation>
    </message>
    <message>
        <source>删除方案</source>
        <translation>Delete Profile</translation>
    </message>
    <message>
        <source>确定删除方案“%1”吗？</source>
        <translation>Delete the profile &quot;%1&quot;?</translation>
    </message>
    <message>
        <source>导出方案</source>
        <translation>Export Profile</translation>
    </message>
    <message>
        <source>扫描方案 (*.json)</source>
        <translation>Scan profiles (*.json)</translation>
    </message>
    <message>
        <source>导入方案</source>
        <translation>Import Profile</translation>
    </message>
    <message>
        <source>无法导入方案:
%1</source>
        <translation>Cannot import the profile:
%1</translation>
    </message>
</context>
<context>
    <name>ProfileSelector</name>
    <message>
        <source>选择扫描方案，扫描设置随之改变</source>
        <translation>Choose a scan profile; the scan settings follow it</translation>
    </message>
    <message>
        <source>默认</source>
        <translation>Default</translation>
    </message>
    <message>
        <source>保存为方案…</source>
        <translation>Save As…</translation>
    </message>
    <message>
        <source>管理方案…</source>
        <translation>Manage…</translation>
    </message>
    <message>
        <source>%1 *</source>
        <translation>%1 *</translation>
    </message>
</context>
<context>
    <name>RecognizedTextDialog</name>
    <message>
        <source>识别文字 - 第%1页</source>
        <translation>Recognized text - page %1</translation>
    </message>
    <message>
        <source>复制全部</source>
        <translation>Copy all</translation>
    </message>
    <message>
        <source>正在识别文字…</source>
        <translation>Recognizing text…</translation>
    </message>
    <message>
        <source>此页面未识别出文字</source>
        <translation>No text was recognized on this page</translation>
    </message>
</context>
<context>
    <name>RecoveryOffer</name>
    <message>
        <source>恢复未保存的页面</source>
        <translation>Recover Unsaved Pages</translation>
    </message>
    <message>
        <source>上次运行时有 %1 页扫描结果尚未保存（%2）。</source>
        <translation>Scanned pages the last session left unsaved: %1 (%2).</translation>
    </message>
    <message>
        <source>是否恢复这些页面？</source>
        <translation>Recover these pages?</translation>
    </message>
    <message>
        <source>第 %1 页已损坏，无法恢复</source>
        <translation>Page %1 is damaged and cannot be recovered</translation>
    </message>
    <message>
        <source>恢复</source>
        <translation>Recover</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>以后再说</source>
        <translation>Later</translation>
    </message>
</context>
<context>
    <name>SaveProgress</name>
    <message>
        <source>正在保存...</source>
        <translation>Saving...</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>正在保存第 %1 / %2 页...</source>
        <translation>Saving page %1 / %2...</translation>
    </message>
</context>
<context>
    <name>SaveSummary</name>
    <message numerus="yes">
        <source>已保存 %n 页，%1</source>
        <translation>
            <numerusform>Saved %n page, %1</numerusform>
            <numerusform>Saved %n pages, %1</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>SavedNotice</name>
    <message>
        <source>打开文件夹</source>
        <translation>Open folder</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>ScanArea</name>
    <message>
        <source>名片</source>
        <translation>Business card</translation>
    </message>
    <message>
        <source>身份证</source>
        <translation>ID card</translation>
    </message>
    <message>
        <source>整个扫描区域</source>
        <translation>Whole scan area</translation>
    </message>
    <message>
        <source>自定义</source>
        <translation>Custom</translation>
    </message>
</context>
<context>
    <name>ScanAreaSelector</name>
    <message>
        <source>%1 × %2 mm</source>
        <translation>%1 × %2 mm</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1 (%2)</translation>
    </message>
</context>
<context>
    <name>ScanProfile</name>
    <message>
        <source>方案中的“%1”无法读取</source>
        <translation>&quot;%1&quot; in the profile cannot be read</translation>
    </message>
</context>
<context>
    <name>ScanProfileStore</name>
    <message>
        <source>方案名称不能为空</source>
        <translation>The profile name cannot be empty</translation>
    </message>
    <message>
        <source>方案“%1”不存在</source>
        <translation>The profile &quot;%1&quot; does not exist</translation>
    </message>
    <message>
        <source>已有名为“%1”的方案</source>
        <translation>A profile named &quot;%1&quot; already exists</translation>
    </message>
    <message>
        <source>%1 副本</source>
        <translation>%1 copy</translation>
    </message>
    <message>
        <source>文件不是 Quirra 扫描方案，或已损坏</source>
        <translation>The file is not a Quirra scan profile, or it is damaged</translation>
    </message>
    <message>
        <source>扫描方案文件已损坏：缺少格式版本</source>
        <translation>The profile file is damaged: the format version is missing</translation>
    </message>
    <message>
        <source>扫描方案来自较新版本的 Quirra（格式版本 %1），请先升级本程序</source>
        <translation>The profile comes from a newer Quirra (format version %1); please update this program first</translation>
    </message>
    <message>
        <source>扫描方案文件已损坏：缺少名称或设置</source>
        <translation>The profile file is damaged: the name or settings are missing</translation>
    </message>
    <message>
        <source>扫描方案文件已损坏：%1</source>
        <translation>The profile file is damaged: %1</translation>
    </message>
    <message>
        <source>无法写入 %1：%2</source>
        <translation>Cannot write %1: %2</translation>
    </message>
    <message>
        <source>无法读取 %1：%2</source>
        <translation>Cannot read %1: %2</translation>
    </message>
</context>
<context>
    <name>ScanSettingsDialog</name>
    <message>
        <source>扫描设置</source>
        <translation>Scan Settings</translation>
    </message>
    <message>
        <source>&lt;b&gt;扫描仪搜索设置&lt;/b&gt;</source>
        <translation>&lt;b&gt;Scanner search settings&lt;/b&gt;</translation>
    </message>
    <message>
        <source>搜索模式</source>
        <translation>Search mode</translation>
    </message>
    <message>
        <source>仅USB连接</source>
        <translation>USB only</translation>
    </message>
    <message>
        <source>  • 搜索速度：快（&lt; 5秒）
  • 设备类型：USB、并口、串口
  • 推荐：日常使用</source>
        <translation>  • Search speed: fast (&lt; 5 s)
  • Devices: USB, parallel, serial
  • Recommended: everyday use</translation>
    </message>
    <message>
        <source>USB + 局域网</source>
        <translation>USB + local network</translation>
    </message>
    <message>
        <source>  • 搜描速度：较慢（5-15秒）
  • 设备类型：USB + 网络设备（eSCL/AirScan）
  • 适用：有网络扫描仪时使用</source>
        <translation>  • Search speed: slower (5-15 s)
  • Devices: USB + network (eSCL/AirScan)
  • For: when you have a network scanner</translation>
    </message>
    <message>
        <source>仅 eSCL（原生）</source>
        <translation>eSCL only (native)</translation>
    </message>
    <message>
        <source>  • 搜索速度：快（&lt; 3秒）
  • 设备类型：eSCL网络扫描仪
  • 优势：原生实现，稳定性更好
  • 推荐：Pantum、HP、Canon等网络扫描仪</source>
        <translation>  • Search speed: fast (&lt; 3 s)
  • Devices: eSCL network scanners
  • Advantage: native, more stable
  • Recommended: Pantum, HP, Canon and other network scanners</translation>
    </message>
    <message>
        <source>只搜索USB连接的扫描仪（快速，推荐）</source>
        <translation>Search only USB scanners (fast, recommended)</translation>
    </message>
    <message>
        <source>搜索USB和局域网中的扫描仪（较慢）</source>
        <translation>Search USB and local network scanners (slower)</translation>
    </message>
    <message>
        <source>使用原生eSCL协议，不依赖SANE（推荐网络扫描仪）</source>
        <translation>Use the native eSCL protocol without SANE (recommended for network scanners)</translation>
    </message>
    <message>
        <source>&lt;b&gt;关于扫描模式：&lt;/b&gt;&lt;br&gt;• &lt;b&gt;仅USB&lt;/b&gt;：传统SANE方式，支持USB扫描仪&lt;br&gt;• &lt;b&gt;USB+局域网&lt;/b&gt;：SANE方式，支持USB和网络扫描仪&lt;br&gt;• &lt;b&gt;仅eSCL&lt;/b&gt;：原生实现，直接支持eSCL网络扫描仪&lt;br&gt;&lt;br&gt;&lt;b&gt;eSCL模式优势：&lt;/b&gt;&lt;br&gt;• 不依赖SANE后端，兼容性更好&lt;br&gt;• 支持稿台和ADF扫描&lt;br&gt;• 智能重试机制，成功率更高&lt;br&gt;• 适用于Pantum、HP、Canon等品牌&lt;br&gt;&lt;br&gt;&lt;b&gt;提示：&lt;/b&gt;&lt;br&gt;• 如果使用网络扫描仪，推荐选择 &lt;b&gt;仅eSCL&lt;/b&gt; 模式&lt;br&gt;• 切换模式后需要重新点击 [查找设备]</source>
        <translation>&lt;b&gt;About search modes:&lt;/b&gt;&lt;br&gt;• &lt;b&gt;USB only&lt;/b&gt;: classic SANE, USB scanners&lt;br&gt;• &lt;b&gt;USB + local network&lt;/b&gt;: SANE, USB and network scanners&lt;br&gt;• &lt;b&gt;eSCL only&lt;/b&gt;: native, eSCL network scanners directly&lt;br&gt;&lt;br&gt;&lt;b&gt;Why eSCL mode:&lt;/b&gt;&lt;br&gt;• No SANE backend needed, better compatibility&lt;br&gt;• Flatbed and ADF scanning&lt;br&gt;• Smart retries, more reliable&lt;br&gt;• For Pantum, HP, Canon and other brands&lt;br&gt;&lt;br&gt;&lt;b&gt;Tips:&lt;/b&gt;&lt;br&gt;• For a network scanner choose &lt;b&gt;eSCL only&lt;/b&gt;&lt;br&gt;• After changing the mode click [Find devices] again</translation>
    </message>
    <message>
        <source>➕ 添加 eSCL 设备</source>
        <translation>➕ Add eSCL device</translation>
    </message>
    <message>
        <source>手动添加 eSCL 网络扫描仪</source>
        <translation>Add an eSCL network scanner by hand</translation>
    </message>
    <message>
        <source>🗑️ 删除 eSCL 设备</source>
        <translation>🗑️ Remove eSCL device</translation>
    </message>
    <message>
        <source>删除已添加的 eSCL 网络扫描仪</source>
        <translation>Remove an added eSCL network scanner</translation>
    </message>
</context>
<context>
    <name>ScanSettingsPanel</name>
    <message>
        <source>扫描仪</source>
        <translation>Scanner</translation>
    </message>
    <message>
        <source>选择要使用的扫描仪设备</source>
        <translation>Choose the scanner to use</translation>
    </message>
    <message>
        <source>查找设备</source>
        <translation>Find devices</translation>
    </message>
    <message>
        <source>查找可用的扫描仪设备</source>
        <translation>Find available scanners</translation>
    </message>
    <message>
        <source>扫描参数</source>
        <translation>Scan options</translation>
    </message>
    <message>
        <source>设置扫描分辨率(DPI) - 数值越大图像质量越高</source>
        <translation>Scan resolution (DPI) - higher gives better quality</translation>
    </message>
    <message>
        <source>彩色</source>
        <translation>Color</translation>
    </message>
    <message>
        <source>灰度</source>
        <translation>Gray</translation>
    </message>
    <message>
        <source>设置扫描颜色模式 - 彩色/灰度/黑白</source>
        <translation>Color mode - color/gray/black &amp; white</translation>
    </message>
    <message>
        <source>设置扫描页面大小</source>
        <translation>Page size of the scan</translation>
    </message>
    <message>
        <source>平板</source>
        <translation>Flatbed</translation>
    </message>
    <message>
        <source>自动进纸器 (ADF)</source>
        <translation>Feeder (ADF)</translation>
    </message>
    <message>
        <source>设置扫描纸张来源：平板或自动进纸器</source>
        <translation>Paper source: flatbed or document feeder</translation>
    </message>
    <message>
        <source>单面</source>
        <translation>Single-sided</translation>
    </message>
    <message>
        <source>双面</source>
        <translation>Double-sided</translation>
    </message>
    <message>
        <source>设置双面扫描模式（仅支持双面扫描的设备有效）</source>
        <translation>Duplex scanning (only for devices that support it)</translation>
    </message>
    <message>
        <source>分辨率:</source>
        <translation>Resolution:</translation>
    </message>
    <message>
        <source>颜色模式:</source>
        <translation>Color mode:</translation>
    </message>
    <message>
        <source>页面大小:</source>
        <translation>Page size:</translation>
    </message>
    <message>
        <source>纸张来源:</source>
        <translation>Source:</translation>
    </message>
    <message>
        <source>保存设置</source>
        <translation>Saving</translation>
    </message>
    <message>
        <source>保存路径</source>
        <translation>Save folder</translation>
    </message>
    <message>
        <source>设置扫描文件的保存路径</source>
        <translation>Folder where scans are saved</translation>
    </message>
    <message>
        <source>选择保存文件夹...</source>
        <translation>Choose folder...</translation>
    </message>
    <message>
        <source>选择保存扫描文件的文件夹</source>
        <translation>Choose the folder for saved scans</translation>
    </message>
    <message>
        <source>选择保存路径</source>
        <translation>Choose save folder</translation>
    </message>
    <message>
        <source>保存格式</source>
        <translation>Save format</translation>
    </message>
    <message>
        <source>选择输出文件格式</source>
        <translation>Output file format</translation>
    </message>
    <message>
        <source>设置JPEG图像质量 (50-100)</source>
        <translation>JPEG quality (50-100)</translation>
    </message>
    <message>
        <source>文件格式:</source>
        <translation>Format:</translation>
    </message>
    <message>
        <source>JPEG质量:</source>
        <translation>JPEG quality:</translation>
    </message>
    <message>
        <source>自动删除空白页</source>
        <translation>Delete blank pages</translation>
    </message>
    <message>
        <source>启用后，扫描过程中检测到空白页将自动跳过</source>
        <translation>When on, blank pages found while scanning are skipped</translation>
    </message>
    <message>
        <source>扫描后自动保存</source>
        <translation>Save after scanning</translation>
    </message>
    <message>
        <source>启用后，扫描完成后自动保存图像</source>
        <translation>When on, images are saved as soon as the scan finishes</translation>
    </message>
    <message>
        <source>扫描后自动纠偏</source>
        <translation>Deskew after scanning</translation>
    </message>
    <message>
        <source>启用后，每一页扫描完成后自动校正倾斜</source>
        <translation>When on, every scanned page is straightened</translation>
    </message>
    <message>
        <source>扫描后自动裁切</source>
        <translation>Crop after scanning</translation>
    </message>
    <message>
        <source>启用后，每一页扫描完成后自动裁切到纸张边缘</source>
        <translation>When on, every scanned page is cropped to the paper&apos;s edges</translation>
    </message>
    <message>
        <source>扫描后自动转正</source>
        <translation>Orient after scanning</translation>
    </message>
    <message>
        <source>启用后，每一页扫描完成后自动识别方向并转正</source>
        <translation>When on, every scanned page is turned upright</translation>
    </message>
    <message>
        <source>文字识别</source>
        <translation>Text recognition</translation>
    </message>
    <message>
        <source>启用后，在后台识别每一页的文字，保存的PDF可搜索、可复制</source>
        <translation>When on, the text of every page is recognized in the background; saved PDFs are searchable and copyable</translation>
    </message>
    <message>
        <source>中文+英文</source>
        <translation>Chinese+English</translation>
    </message>
    <message>
        <source>中文</source>
        <translation>Chinese</translation>
    </message>
    <message>
        <source>英文</source>
        <translation>English</translation>
    </message>
    <message>
        <source>文字识别的语言</source>
        <translation>Language of text recognition</translation>
    </message>
    <message>
        <source>延时扫描</source>
        <translation>Delay scan</translation>
    </message>
    <message>
        <source>循环延时扫描，适合平板扫描仪多张扫描</source>
        <translation>Repeated delay scan, for several sheets on a flatbed</translation>
    </message>
    <message>
        <source>扫描</source>
        <translation>Scan</translation>
    </message>
    <message>
        <source>执行完整扫描</source>
        <translation>Run a full scan</translation>
    </message>
    <message>
        <source>扫描完成</source>
        <translation>Finish</translation>
    </message>
    <message>
        <source>结束延时扫描模式并保存</source>
        <translation>End delay scan mode and save</translation>
    </message>
    <message>
        <source>当前设备仅支持平板扫描</source>
        <translation>This device scans from the flatbed only</translation>
    </message>
    <message>
        <source>选择纸张来源：平板扫描或自动进纸器</source>
        <translation>Choose the paper source: flatbed or document feeder</translation>
    </message>
    <message>
        <source>当前设备不支持双面扫描</source>
        <translation>This device cannot scan both sides</translation>
    </message>
    <message>
        <source>选择扫描模式：单面或双面</source>
        <translation>Choose single- or double-sided scanning</translation>
    </message>
    <message>
        <source>黑白</source>
        <translation>Black &amp; white</translation>
    </message>
    <message>
        <source>扫描后拆分多张原稿</source>
        <translation>Separate originals after scanning</translation>
    </message>
    <message>
        <source>启用后，平板上同时放的多张原稿（收据、卡片、照片）各成一页</source>
        <translation>When on, several originals laid on the flatbed together (receipts, cards, photos) each become a page</translation>
    </message>
    <message>
        <source>分割与命名</source>
        <translation>Splitting and Naming</translation>
    </message>
    <message>
        <source>不分割</source>
        <translation>No split</translation>
    </message>
    <message>
        <source>每页一个文件</source>
        <translation>One file per page</translation>
    </message>
    <message>
        <source>每 N 页</source>
        <translation>Every N pages</translation>
    </message>
    <message>
        <source>遇到空白页</source>
        <translation>At blank pages</translation>
    </message>
    <message>
        <source>遇到条码页</source>
        <translation>At barcode sheets</translation>
    </message>
    <message>
        <source>进纸器扫描的一叠纸如何分成多个文件</source>
        <translation>How a stack scanned from the feeder is split into files</translation>
    </message>
    <message>
        <source> 页</source>
        <translation> pages</translation>
    </message>
    <message>
        <source>每个文件的页数</source>
        <translation>Pages per file</translation>
    </message>
    <message>
        <source>保留分隔页</source>
        <translation>Keep separator sheets</translation>
    </message>
    <message>
        <source>条码页作为新文件的第一页保存，而不是丢弃</source>
        <translation>Save the barcode sheet as the first page of the new file instead of dropping it</translation>
    </message>
    <message>
        <source>可用字段: {日期} {时间} {序号} {条码} {方案} {页数}；已有的文件不会被覆盖</source>
        <translation>Fields: {date} {time} {number} {barcode} {profile} {pages}; existing files are never overwritten</translation>
    </message>
    <message>
        <source>分割文档:</source>
        <translation>Split:</translation>
    </message>
    <message>
        <source>文件名:</source>
        <translation>File name:</translation>
    </message>
    <message>
        <source>预览</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>以低分辨率扫描整个稿台，在预览上选择要扫描的区域</source>
        <translation>Scan the whole bed at low resolution, then select the area to scan on the preview</translation>
    </message>
    <message>
        <source>清除选区</source>
        <translation>Clear selection</translation>
    </message>
    <message>
        <source>清除预览上的选区，按页面大小扫描</source>
        <translation>Clear the selection on the preview and scan the page size</translation>
    </message>
    <message>
        <source>标准</source>
        <translation>Standard</translation>
    </message>
    <message>
        <source>紧凑</source>
        <translation>Compact</translation>
    </message>
    <message>
        <source>紧凑：文字页保存为清晰的文字层和低分辨率的颜色层，文件小得多，印章和签名保持颜色</source>
        <translation>Compact: text pages are saved as a sharp text layer and a low-resolution color layer; files are much smaller, and stamps and signatures keep their color</translation>
    </message>
    <message>
        <source>不限</source>
        <translation>No limit</translation>
    </message>
    <message>
        <source>自定义…</source>
        <translation>Custom…</translation>
    </message>
    <message>
        <source>保存的PDF不超过此大小，需要时降低颜色层的分辨率和质量</source>
        <translation>Saved PDFs stay under this size, lowering the resolution and quality of the color layer when needed</translation>
    </message>
    <message>
        <source>与扫描相同</source>
        <translation>As scanned</translation>
    </message>
    <message>
        <source>保存时页面缩小到此分辨率；文档中的页面保持扫描时的分辨率</source>
        <translation>Pages are scaled down to this resolution when saved; the pages in the document keep their scan resolution</translation>
    </message>
    <message>
        <source>PDF压缩:</source>
        <translation>PDF compression:</translation>
    </message>
    <message>
        <source>大小上限:</source>
        <translation>Size limit:</translation>
    </message>
    <message>
        <source>保存分辨率:</source>
        <translation>Save resolution:</translation>
    </message>
    <message>
        <source>大小上限</source>
        <translation>Size Limit</translation>
    </message>
    <message>
        <source>文件最大 (MB):</source>
        <translation>Largest file (MB):</translation>
    </message>
    <message>
        <source>双面进纸器</source>
        <translation>Duplex feeder</translation>
    </message>
</context>
<context>
    <name>ScanWorker</name>
    <message>
        <source>无法打开扫描仪设备: %1</source>
        <translation>Cannot open the scanner: %1</translation>
    </message>
    <message>
        <source>无法设置扫描参数</source>
        <translation>Cannot set the scan options</translation>
    </message>
    <message>
        <source>扫描失败或被取消</source>
        <translation>Scan failed or cancelled</translation>
    </message>
    <message>
        <source>设备未打开，无法执行多页扫描</source>
        <translation>The device is not open; cannot run a multipage scan</translation>
    </message>
    <message>
        <source>ADF扫描失败，没有扫描到任何页面</source>
        <translation>ADF scan failed; no page was scanned</translation>
    </message>
    <message>
        <source>已达到最大页数限制 (%1 页)，扫描停止</source>
        <translation>Page limit reached (%1 pages); scanning stopped</translation>
    </message>
    <message>
        <source>开始扫描失败: %1</source>
        <translation>Could not start scanning: %1</translation>
    </message>
    <message>
        <source>扫描仪不能设置扫描区域，已按其默认区域扫描</source>
        <translation>The scanner cannot set a scan area; scanned its default area</translation>
    </message>
    <message>
        <source>扫描仪不接受所选的扫描区域，已按它能接受的区域扫描</source>
        <translation>The scanner refused the selected area; scanned the area it accepts</translation>
    </message>
    <message>
        <source>所选区域超出扫描范围，已改为 %1 × %2 毫米</source>
        <translation>The selected area exceeds the scan range; changed to %1 × %2 mm</translation>
    </message>
</context>
<context>
    <name>ScannerController</name>
    <message>
        <source>正在初始化SANE库...</source>
        <translation>Initializing SANE...</translation>
    </message>
    <message>
        <source>正在查找扫描仪设备...</source>
        <translation>Looking for scanners...</translation>
    </message>
    <message>
        <source>初始化完成</source>
        <translation>Initialization finished</translation>
    </message>
    <message>
        <source>SANE初始化失败</source>
        <translation>SANE initialization failed</translation>
    </message>
    <message>
        <source>扫描仪初始化失败</source>
        <translation>Scanner initialization failed</translation>
    </message>
    <message>
        <source>当前扫描仪不支持自动进纸器功能</source>
        <translation>This scanner has no document feeder</translation>
    </message>
    <message>
        <source>未选择扫描仪</source>
        <translation>No scanner selected</translation>
    </message>
    <message>
        <source>扫描仪正在初始化中，请稍后再试</source>
        <translation>The scanner is still initializing; please try again shortly</translation>
    </message>
</context>
<context>
    <name>SearchMode</name>
    <message>
        <source>仅USB</source>
        <translation>USB only</translation>
    </message>
    <message>
        <source>USB+局域网</source>
        <translation>USB+network</translation>
    </message>
    <message>
        <source>仅eSCL（原生）</source>
        <translation>eSCL only (native)</translation>
    </message>
    <message>
        <source>仅eSCL</source>
        <translation>eSCL only</translation>
    </message>
</context>
<context>
    <name>SizeLimitQuestion</name>
    <message>
        <source>超过大小上限</source>
        <translation>Over the Size Limit</translation>
    </message>
    <message>
        <source>即使压缩到最小，文件仍有 %1，超过了大小上限 %2。</source>
        <translation>Even at the strongest compression the file is %1, over the size limit of %2.</translation>
    </message>
    <message>
        <source>可以仍然保存这个文件，或分成几个不超过上限的文件（_1、_2 …）。</source>
        <translation>You can save this file anyway, or split it into several files within the limit (_1, _2 …).</translation>
    </message>
    <message>
        <source>单独一页无法再分割。</source>
        <translation>A single page cannot be split further.</translation>
    </message>
    <message>
        <source>仍然保存</source>
        <translation>Save Anyway</translation>
    </message>
    <message>
        <source>分成多个文件</source>
        <translation>Split into Files</translation>
    </message>
</context>
<context>
    <name>SplitDialog</name>
    <message>
        <source>左右拆分</source>
        <translation>Split Left/Right</translation>
    </message>
    <message>
        <source>上下拆分</source>
        <translation>Split Top/Bottom</translation>
    </message>
    <message>
        <source>拖动红色分割线选择拆分位置。
左右两部分都会作为新页面插入到本页之后，本页保持不变。</source>
        <translation>Drag the red line to choose where to split.
Both halves are inserted as new pages after this page, which stays unchanged.</translation>
    </message>
    <message>
        <source>拖动红色分割线选择拆分位置。
上下两部分都会作为新页面插入到本页之后，本页保持不变。</source>
        <translation>Drag the red line to choose where to split.
Both halves are inserted as new pages after this page, which stays unchanged.</translation>
    </message>
    <message>
        <source>拆分</source>
        <translation>Split</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>分割线位置: 距左边 %1 像素</source>
        <translation>Split line: %1 px from the left</translation>
    </message>
    <message>
        <source>分割线位置: 距上边 %1 像素</source>
        <translation>Split line: %1 px from the top</translation>
    </message>
</context>
<context>
    <name>TextRecognizer</name>
    <message>
        <source>未选择文字识别语言</source>
        <translation>No text recognition language chosen</translation>
    </message>
    <message>
        <source>缺少文字识别语言数据（%1），请安装软件包 %2</source>
        <translation>Text recognition language data is missing (%1); please install the packages %2</translation>
    </message>
    <message>
        <source>无法加载文字识别语言数据: %1</source>
        <translation>Cannot load the text recognition language data: %1</translation>
    </message>
</context>
<context>
    <name>WindowActions</name>
    <message>
        <source>打开文档...</source>
        <translation>Open Document...</translation>
    </message>
    <message>
        <source>打开图像、多页TIFF或PDF文件</source>
        <translation>Open images, multipage TIFF or PDF files</translation>
    </message>
    <message>
        <source>添加图片...</source>
        <translation>Add Images...</translation>
    </message>
    <message>
        <source>从文件添加新图片到文档末尾</source>
        <translation>Add new images from files at the end of the document</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>保存当前图像</source>
        <translation>Save current image</translation>
    </message>
    <message>
        <source>多页保存</source>
        <translation>Save All Pages</translation>
    </message>
    <message>
        <source>保存多页文档</source>
        <translation>Save multipage document</translation>
    </message>
    <message>
        <source>保存文档...</source>
        <translation>Save Document...</translation>
    </message>
    <message>
        <source>把整个文档保存为一个文件</source>
        <translation>Save the whole document as one file</translation>
    </message>
    <message>
        <source>导出...</source>
        <translation>Export...</translation>
    </message>
    <message>
        <source>以选定的格式导出文档</source>
        <translation>Export the document in a chosen format</translation>
    </message>
    <message>
        <source>打印...</source>
        <translation>Print...</translation>
    </message>
    <message>
        <source>打印所选页面或全部页面</source>
        <translation>Print the selected pages or all pages</translation>
    </message>
    <message>
        <source>发送邮件...</source>
        <translation>Send by Email...</translation>
    </message>
    <message>
        <source>把文档作为PDF附件发送</source>
        <translation>Send the document as a PDF attachment</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>撤销</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>重做</source>
        <translation>Redo</translation>
    </message>
    <message>
        <source>左旋转</source>
        <translation>Rotate Left</translation>
    </message>
    <message>
        <source>向左旋转90度</source>
        <translation>Rotate 90° left</translation>
    </message>
    <message>
        <source>右旋转</source>
        <translation>Rotate Right</translation>
    </message>
    <message>
        <source>向右旋转90度</source>
        <translation>Rotate 90° right</translation>
    </message>
    <message>
        <source>裁剪</source>
        <translation>Crop</translation>
    </message>
    <message>
        <source>裁剪当前图像 (Ctrl+R)</source>
        <translation>Crop the current image (Ctrl+R)</translation>
    </message>
    <message>
        <source>高级设置</source>
        <translation>Advanced</translation>
    </message>
    <message>
        <source>高级图像处理设置</source>
        <translation>Advanced Image Processing</translation>
    </message>
    <message>
        <source>批注标记</source>
        <translation>Annotate</translation>
    </message>
    <message>
        <source>在图片上添加批注和标记</source>
        <translation>Add notes and marks to the image</translation>
    </message>
    <message>
        <source>合并图片</source>
        <translation>Merge Images</translation>
    </message>
    <message>
        <source>将选中的图片合并为一张</source>
        <translation>Merge the selected images into one</translation>
    </message>
    <message>
        <source>左右拆分</source>
        <translation>Split Left/Right</translation>
    </message>
    <message>
        <source>从中间左右拆分，适合左右排列的证件</source>
        <translation>Split down the middle into left and right; for side-by-side ID cards</translation>
    </message>
    <message>
        <source>上下拆分</source>
        <translation>Split Top/Bottom</translation>
    </message>
    <message>
        <source>从中间上下拆分，适合上下排列的证件</source>
        <translation>Split across the middle into top and bottom; for stacked ID cards</translation>
    </message>
    <message>
        <source>上移</source>
        <translation>Move Up</translation>
    </message>
    <message>
        <source>将此页面向上移动一位</source>
        <translation>Move this page up by one</translation>
    </message>
    <message>
        <source>下移</source>
        <translation>Move Down</translation>
    </message>
    <message>
        <source>将此页面向下移动一位</source>
        <translation>Move this page down by one</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>删除选中的页面</source>
        <translation>Delete the selected pages</translation>
    </message>
    <message>
        <source>清除</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>清除所有扫描图片</source>
        <translation>Clear all scanned images</translation>
    </message>
    <message>
        <source>放大</source>
        <translation>Zoom In</translation>
    </message>
    <message>
        <source>缩小</source>
        <translation>Zoom Out</translation>
    </message>
    <message>
        <source>适合窗口</source>
        <translation>Fit to Window</translation>
    </message>
    <message>
        <source>实际大小</source>
        <translation>Actual Size</translation>
    </message>
    <message>
        <source>上一页</source>
        <translation>Previous Page</translation>
    </message>
    <message>
        <source>下一页</source>
        <translation>Next Page</translation>
    </message>
    <message>
        <source>第一页</source>
        <translation>First Page</translation>
    </message>
    <message>
        <source>最后一页</source>
        <translation>Last Page</translation>
    </message>
    <message>
        <source>界面布局</source>
        <translation>Layout</translation>
    </message>
    <message>
        <source>切换界面布局</source>
        <translation>Change the window layout</translation>
    </message>
    <message>
        <source>扫描</source>
        <translation>Scan</translation>
    </message>
    <message>
        <source>开始/停止扫描 </source>
        <translation>Start/stop scanning</translation>
    </message>
    <message>
        <source>延时扫描</source>
        <translation>Delay Scan</translation>
    </message>
    <message>
        <source>循环延时扫描，适合平板扫描仪多张扫描</source>
        <translation>Repeated delay scan, for several sheets on a flatbed</translation>
    </message>
    <message>
        <source>查找设备</source>
        <translation>Find Devices</translation>
    </message>
    <message>
        <source>查找可用的扫描仪设备</source>
        <translation>Find available scanners</translation>
    </message>
    <message>
        <source>扫描设置</source>
        <translation>Scan Settings</translation>
    </message>
    <message>
        <source>扫描仪搜索设置</source>
        <translation>Scanner search settings</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>关于本软件</source>
        <translation>About this software</translation>
    </message>
    <message>
        <source>文件(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>编辑(&amp;E)</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>视图(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>扫描(&amp;S)</source>
        <translation>&amp;Scan</translation>
    </message>
    <message>
        <source>帮助(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>主工具栏</source>
        <translation>Main tool bar</translation>
    </message>
    <message>
        <source>撤销 %1</source>
        <translation>Undo %1</translation>
    </message>
    <message>
        <source>重做 %1</source>
        <translation>Redo %1</translation>
    </message>
    <message>
        <source>首选项...</source>
        <translation>Preferences...</translation>
    </message>
    <message>
        <source>界面语言等设置</source>
        <translation>Language and other settings</translation>
    </message>
    <message>
        <source>多页保存</source>
        <comment>tool bar</comment>
        <translation>Save All</translation>
    </message>
    <message>
        <source>左旋转</source>
        <comment>tool bar</comment>
        <translation>Left</translation>
    </message>
    <message>
        <source>右旋转</source>
        <comment>tool bar</comment>
        <translation>Right</translation>
    </message>
    <message>
        <source>扫描设置</source>
        <comment>tool bar</comment>
        <translation>Devices</translation>
    </message>
    <message>
        <source>合并图片</source>
        <comment>tool bar</comment>
        <translation>Merge</translation>
    </message>
    <message>
        <source>高级设置</source>
        <comment>tool bar</comment>
        <translation>Tools</translation>
    </message>
    <message>
        <source>批注标记</source>
        <comment>tool bar</comment>
        <translation>Markup</translation>
    </message>
</context>
</TS>
