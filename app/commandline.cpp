#include "app/commandline.h"

#include <QCommandLineParser>
#include <QRegularExpression>

#include "app/interfacelanguage.h"

namespace {

QCommandLineOption option(const QString &name, const QString &description, const QString &valueName = QString())
{
    return QCommandLineOption(name, description, valueName);
}

} // namespace

bool CommandLine::wantsCommandLineRun(const QStringList &commandLine)
{
    // "--language en|zh" alone is the window's too; a wrong value goes to the
    // command line, which says what it accepts.
    const QStringList arguments = InterfaceLanguage::isChoice(InterfaceLanguage::commandLineChoice(commandLine))
        ? InterfaceLanguage::withoutLanguageOption(commandLine)
        : commandLine;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument.startsWith(QLatin1String("--")) || argument == QLatin1String("-h")
            || argument == QLatin1String("-v") || argument == QLatin1String("-?"))
            return true;
    }
    return false;
}

std::optional<qint64> CommandLine::parseSize(const QString &text)
{
    static const QRegularExpression size(QStringLiteral("^\\s*(\\d+(?:\\.\\d+)?)\\s*(B|KB|K|MB|M|GB|G)?\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = size.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const QString unit = match.captured(2).toUpper();
    // Decimal units, as the window shows sizes: a file under "2MB" passes an
    // upload limit of 2 000 000 bytes as well as one of 2 MiB.
    double factor = 1;
    if (unit.startsWith(QLatin1Char('K')))
        factor = 1e3;
    else if (unit.startsWith(QLatin1Char('M')))
        factor = 1e6;
    else if (unit.startsWith(QLatin1Char('G')))
        factor = 1e9;
    const double bytes = match.captured(1).toDouble() * factor;
    if (bytes < 1 || bytes > 1e15)
        return std::nullopt;
    return static_cast<qint64>(bytes);
}

bool CommandLine::parseSplit(const QString &text, SplitRule *rule, int *every)
{
    if (text.startsWith(QLatin1String("every:"))) {
        bool ok = false;
        const int n = text.mid(6).toInt(&ok);
        if (!ok || n < 1)
            return false;
        *rule = SplitRule::EveryNPages;
        *every = n;
        return true;
    }
    return text != QLatin1String("every") && splitRuleFromWord(text, rule);
}

QString CommandLine::helpText()
{
    return tr("用法:\n"
              "  quirra [文件]                 打开窗口\n"
              "  quirra --list-devices         列出扫描仪（SANE 设备及已知的 eSCL 设备）\n"
              "  quirra --scan [--profile 名称] [--device 名称] [--source flatbed|adf|duplex]\n"
              "         [--resolution DPI] [--mode color|gray|bw] [--page-size A4] --output 路径\n"
              "                                按扫描方案扫描并保存（PDF，或按分割规则存入文件夹）\n"
              "  quirra --convert 文件... --output 路径 [--compact] [--max-size 2MB]\n"
              "         [--ocr chi_sim+eng] [--deskew] [--split none|page|every:N|blank|barcode]\n"
              "                                将图像、多页 TIFF 和 PDF 合成一个 PDF，或分割后存入文件夹\n"
              "  quirra --language en|zh ...   本次运行使用英文或中文界面\n"
              "  quirra --help                 显示本帮助\n"
              "  quirra --version              显示版本\n"
              "\n"
              "进度和错误写到标准错误输出。退出码：0 完成，1 用法错误，2 输入无法读取或输出无法写入，3 扫描仪错误。\n"
              "失败时不写入任何文件。\n");
}

CommandLine::Request CommandLine::parse(const QStringList &arguments)
{
    Request request;
    auto refuse = [&request](const QString &why) {
        request.mode = Mode::Refused;
        request.error = why;
        return request;
    };

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList { QStringLiteral("help"), QStringLiteral("h"), QStringLiteral("?") });
    const QCommandLineOption version(QStringList { QStringLiteral("version"), QStringLiteral("v") });
    const QCommandLineOption listDevices = option(QStringLiteral("list-devices"), QString());
    const QCommandLineOption scan = option(QStringLiteral("scan"), QString());
    const QCommandLineOption convert = option(QStringLiteral("convert"), QString());
    const QCommandLineOption profile = option(QStringLiteral("profile"), QString(), QStringLiteral("name"));
    const QCommandLineOption device = option(QStringLiteral("device"), QString(), QStringLiteral("name"));
    const QCommandLineOption source = option(QStringLiteral("source"), QString(), QStringLiteral("source"));
    const QCommandLineOption resolution = option(QStringLiteral("resolution"), QString(), QStringLiteral("dpi"));
    const QCommandLineOption mode = option(QStringLiteral("mode"), QString(), QStringLiteral("mode"));
    const QCommandLineOption pageSize = option(QStringLiteral("page-size"), QString(), QStringLiteral("size"));
    const QCommandLineOption output = option(QStringLiteral("output"), QString(), QStringLiteral("path"));
    const QCommandLineOption compact = option(QStringLiteral("compact"), QString());
    const QCommandLineOption maxSize = option(QStringLiteral("max-size"), QString(), QStringLiteral("size"));
    const QCommandLineOption ocr = option(QStringLiteral("ocr"), QString(), QStringLiteral("languages"));
    const QCommandLineOption deskew = option(QStringLiteral("deskew"), QString());
    const QCommandLineOption split = option(QStringLiteral("split"), QString(), QStringLiteral("rule"));
    // Already applied by the time this runs (the translators are installed first);
    // only its value is checked here.
    const QCommandLineOption language = option(QStringLiteral("language"), QString(), QStringLiteral("language"));
    parser.addOptions({ help, version, listDevices, scan, convert, profile, device, source, resolution, mode, pageSize,
        output, compact, maxSize, ocr, deskew, split, language });
    if (!parser.parse(arguments))
        return refuse(parser.errorText());
    if (parser.isSet(language) && !InterfaceLanguage::isChoice(parser.value(language)))
        return refuse(tr("无法识别的界面语言: %1（可用 en、zh）").arg(parser.value(language)));

    if (parser.isSet(help)) {
        request.mode = Mode::Help;
        return request;
    }
    if (parser.isSet(version)) {
        request.mode = Mode::Version;
        return request;
    }
    const int actions = int(parser.isSet(listDevices)) + int(parser.isSet(scan)) + int(parser.isSet(convert));
    if (actions != 1)
        return refuse(tr("请指定 --list-devices、--scan 或 --convert 中的一个"));

    const QCommandLineOption scanOnly[] = { profile, device, source, resolution, mode, pageSize };
    const QCommandLineOption convertOnly[] = { compact, maxSize, ocr, deskew };
    if (parser.isSet(listDevices)) {
        if (!parser.positionalArguments().isEmpty() || parser.optionNames().size() > 1 + int(parser.isSet(language)))
            return refuse(tr("--list-devices 不接受其他参数"));
        request.mode = Mode::ListDevices;
        return request;
    }

    request.output = parser.value(output);
    if (request.output.isEmpty())
        return refuse(tr("缺少 --output 路径"));
    if (parser.isSet(split)) {
        SplitRule rule;
        if (!parseSplit(parser.value(split), &rule, &request.splitEvery))
            return refuse(tr("无法识别的分割规则: %1").arg(parser.value(split)));
        request.split = rule;
    }

    if (parser.isSet(scan)) {
        for (const QCommandLineOption &other : convertOnly) {
            if (parser.isSet(other))
                return refuse(tr("--%1 只能与 --convert 一起使用").arg(other.names().first()));
        }
        if (!parser.positionalArguments().isEmpty())
            return refuse(tr("--scan 不接受文件参数: %1").arg(parser.positionalArguments().first()));
        request.mode = Mode::Scan;
        request.profile = parser.value(profile);
        request.device = parser.value(device);
        if (parser.isSet(source)) {
            ScanSource value;
            if (!sourceFromWord(parser.value(source), &value))
                return refuse(tr("无法识别的纸张来源: %1（可用 flatbed、adf、duplex）").arg(parser.value(source)));
            request.source = value;
        }
        if (parser.isSet(resolution)) {
            bool ok = false;
            const int dpi = parser.value(resolution).toInt(&ok);
            if (!ok || dpi < 25 || dpi > 4800)
                return refuse(tr("无效的分辨率: %1").arg(parser.value(resolution)));
            request.resolution = dpi;
        }
        if (parser.isSet(mode)) {
            ScanColorMode value;
            if (!colorModeFromWord(parser.value(mode), &value))
                return refuse(tr("无法识别的颜色模式: %1（可用 color、gray、bw）").arg(parser.value(mode)));
            request.colorMode = value;
        }
        request.pageSize = parser.value(pageSize);
        return request;
    }

    for (const QCommandLineOption &other : scanOnly) {
        if (parser.isSet(other))
            return refuse(tr("--%1 只能与 --scan 一起使用").arg(other.names().first()));
    }
    request.mode = Mode::Convert;
    request.inputs = parser.positionalArguments();
    if (request.inputs.isEmpty())
        return refuse(tr("--convert 需要至少一个输入文件"));
    request.compact = parser.isSet(compact);
    if (parser.isSet(maxSize)) {
        const std::optional<qint64> bytes = parseSize(parser.value(maxSize));
        if (!bytes)
            return refuse(tr("无效的文件大小: %1").arg(parser.value(maxSize)));
        request.maxFileBytes = *bytes;
    }
    request.ocrLanguages = parser.value(ocr);
    if (parser.isSet(ocr) && request.ocrLanguages.isEmpty())
        return refuse(tr("--ocr 需要语言，例如 chi_sim+eng"));
    request.deskew = parser.isSet(deskew);
    return request;
}
