#pragma once

// A scripted stand-in for libsane behind the scanner seam, for what SANE's own
// test backend cannot be made to do: chosen start statuses, device records,
// option sets, several frames per sheet, hundreds of sheets. Header-only; the
// scanner test programs include it.

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QMutex>
#include <QMutexLocker>
#include <QStringList>

#include "scanner/frameassembler.h"
#include "scanner/saneapi.h"

#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

class ScriptedSane : public SaneApi
{
public:
    struct Option
    {
        QByteArray name;
        SANE_Value_Type type = SANE_TYPE_STRING;
        QList<QByteArray> list; // a STRING_LIST constraint when hasList
        bool hasList = false;
        bool active = true;
        bool softSelect = true;
        SANE_Word word = 0; // BOOL, INT, FIXED value
        QByteArray text; // STRING value
        SANE_Status setStatus = SANE_STATUS_GOOD;
        SANE_Unit unit = SANE_UNIT_NONE;
        bool hasRange = false; // a RANGE constraint, in the option's own encoding
        SANE_Range range {};
    };

    struct Frame
    {
        FrameParameters parameters;
        QByteArray data;
        SANE_Status endStatus = SANE_STATUS_EOF; // what follows the data
        int chunk = 32768; // largest piece one read returns
    };

    struct Device
    {
        QByteArray name;
        QByteArray vendor;
        QByteArray model;
        QByteArray type = "flatbed scanner";
    };

    // Script ----------------------------------------------------------------
    SANE_Status initStatus = SANE_STATUS_GOOD;
    SANE_Status devicesStatus = SANE_STATUS_GOOD;
    QList<Device> devices;
    QList<QByteArray> unopenable;
    QList<Option> options;
    // Statuses of successive sane_start calls; then defaultStart.
    QList<SANE_Status> startStatuses;
    SANE_Status defaultStart = SANE_STATUS_GOOD;
    // Frames of the n-th successful start (from 1); an empty list reads as
    // EOF at once.
    std::function<QList<Frame>(int sheet)> sheetFrames;
    SANE_Status parametersStatus = SANE_STATUS_GOOD;
    // Called after each read that returned data, with the number of reads so far.
    std::function<void(int reads)> afterRead;
    // Runs inside sane_init (on the calling thread), e.g. to hold the background task.
    std::function<void()> duringInit;
    SANE_Status countStatus = SANE_STATUS_GOOD;

    // Records ---------------------------------------------------------------
    int initCalls = 0;
    int exitCalls = 0;
    int startCalls = 0;
    int cancelCalls = 0;
    int reads = 0;
    QList<QByteArray> opened;
    int openHandles = 0;
    int maxOpenHandles = 0;
    QList<QByteArray> setOrder; // option names in the order they were set
    QMap<QByteArray, QByteArray> setStrings;
    QMap<QByteArray, SANE_Word> setWords;
    // Every call by name, and the calls made while the library was not initialised.
    QStringList events;
    int callsWhileExited = 0;

    QStringList eventLog()
    {
        QMutexLocker lock(&mutex);
        return events;
    }

    static Frame grayFrame(int width, int height, uchar value = 0x80)
    {
        Frame frame;
        frame.parameters = { FrameParameters::Gray, true, width, width, height, 8 };
        frame.data = QByteArray(width * height, char(value));
        return frame;
    }

    static Frame rgbFrame(int width, int height, uchar r, uchar g, uchar b)
    {
        Frame frame;
        frame.parameters = { FrameParameters::Rgb, true, width * 3, width, height, 8 };
        frame.data.reserve(width * height * 3);
        for (int i = 0; i < width * height; ++i) {
            frame.data.append(char(r));
            frame.data.append(char(g));
            frame.data.append(char(b));
        }
        return frame;
    }

    static Option stringOption(const QByteArray &name, const QList<QByteArray> &list, bool active = true)
    {
        Option option;
        option.name = name;
        option.type = SANE_TYPE_STRING;
        option.list = list;
        option.hasList = true;
        option.active = active;
        option.text = list.isEmpty() ? QByteArray() : list.first();
        return option;
    }

    static Option wordOption(const QByteArray &name, SANE_Value_Type type, SANE_Word value = 0, bool active = true)
    {
        Option option;
        option.name = name;
        option.type = type;
        option.word = value;
        option.active = active;
        return option;
    }

    // A number in a unit with a range, as geometry options are declared.
    static Option rangeOption(
        const QByteArray &name, SANE_Value_Type type, SANE_Unit unit, SANE_Word min, SANE_Word max, SANE_Word quant = 0)
    {
        Option option = wordOption(name, type, max);
        option.unit = unit;
        option.hasRange = true;
        option.range = { min, max, quant };
        return option;
    }

    // SaneApi -----------------------------------------------------------------
    SANE_Status init(SANE_Int *versionCode) override
    {
        if (duringInit)
            duringInit();
        QMutexLocker lock(&mutex);
        ++initCalls;
        events << QStringLiteral("init");
        if (versionCode)
            *versionCode = SANE_VERSION_CODE(1, 2, 3);
        if (initStatus == SANE_STATUS_GOOD)
            ++initDepth;
        return initStatus;
    }

    void exit() override
    {
        QMutexLocker lock(&mutex);
        ++exitCalls;
        events << QStringLiteral("exit");
        if (initDepth > 0)
            --initDepth;
    }

    SANE_Status getDevices(const SANE_Device ***deviceList, SANE_Bool) override
    {
        QMutexLocker lock(&mutex);
        note("getDevices");
        deviceStorage.clear();
        saneDevices.clear();
        devicePointers.clear();
        for (const Device &device : devices) {
            deviceStorage.push_back(device);
            const Device &kept = deviceStorage.back();
            saneDevices.push_back(
                { kept.name.constData(), kept.vendor.constData(), kept.model.constData(), kept.type.constData() });
        }
        for (const SANE_Device &device : saneDevices)
            devicePointers.push_back(&device);
        devicePointers.push_back(nullptr);
        *deviceList = devicePointers.data();
        return devicesStatus;
    }

    SANE_Status open(const char *name, SANE_Handle *handle) override
    {
        QMutexLocker lock(&mutex);
        note("open");
        opened << QByteArray(name);
        if (unopenable.contains(QByteArray(name))) {
            *handle = nullptr;
            return SANE_STATUS_INVAL;
        }
        buildDescriptors();
        ++openHandles;
        maxOpenHandles = std::max(maxOpenHandles, openHandles);
        *handle = &handleToken;
        sheet = 0;
        return SANE_STATUS_GOOD;
    }

    void close(SANE_Handle) override
    {
        QMutexLocker lock(&mutex);
        note("close");
        --openHandles;
    }

    const SANE_Option_Descriptor *getOptionDescriptor(SANE_Handle, SANE_Int option) override
    {
        QMutexLocker lock(&mutex);
        note("getOptionDescriptor");
        if (option < 0 || option > options.size())
            return nullptr;
        return &descriptors[size_t(option)];
    }

    SANE_Status controlOption(SANE_Handle, SANE_Int index, SANE_Action action, void *value, SANE_Int *info) override
    {
        QMutexLocker lock(&mutex);
        note("controlOption");
        if (info)
            *info = 0;
        if (index == 0) {
            if (action != SANE_ACTION_GET_VALUE)
                return SANE_STATUS_INVAL;
            if (countStatus != SANE_STATUS_GOOD)
                return countStatus;
            *static_cast<SANE_Int *>(value) = options.size() + 1;
            return SANE_STATUS_GOOD;
        }
        if (index < 0 || index > options.size())
            return SANE_STATUS_INVAL;
        Option &option = options[index - 1];
        if (action == SANE_ACTION_GET_VALUE) {
            if (option.type == SANE_TYPE_STRING) {
                const SANE_Int size = descriptors[size_t(index)].size;
                std::memset(value, 0, size_t(size));
                std::memcpy(value, option.text.constData(), size_t(std::min<int>(option.text.size(), size - 1)));
            } else {
                *static_cast<SANE_Word *>(value) = option.word;
            }
            return SANE_STATUS_GOOD;
        }
        if (action != SANE_ACTION_SET_VALUE)
            return SANE_STATUS_INVAL;
        setOrder << option.name;
        if (option.setStatus != SANE_STATUS_GOOD)
            return option.setStatus;
        if (option.type == SANE_TYPE_STRING) {
            option.text = QByteArray(static_cast<const char *>(value));
            setStrings[option.name] = option.text;
        } else {
            option.word = *static_cast<const SANE_Word *>(value);
            setWords[option.name] = option.word;
        }
        return SANE_STATUS_GOOD;
    }

    SANE_Status start(SANE_Handle) override
    {
        QMutexLocker lock(&mutex);
        note("start");
        const SANE_Status status = startStatuses.isEmpty() ? defaultStart : startStatuses.takeFirst();
        ++startCalls;
        if (status != SANE_STATUS_GOOD)
            return status;
        ++sheet;
        frames = sheetFrames ? sheetFrames(sheet) : QList<Frame>();
        frameIndex = 0;
        offset = 0;
        atEnd = false;
        return SANE_STATUS_GOOD;
    }

    SANE_Status getParameters(SANE_Handle, SANE_Parameters *parameters) override
    {
        QMutexLocker lock(&mutex);
        note("getParameters");
        if (parametersStatus != SANE_STATUS_GOOD)
            return parametersStatus;
        // The next frame of a sheet follows the end of the previous one.
        if (atEnd && frameIndex + 1 < frames.size()) {
            ++frameIndex;
            offset = 0;
            atEnd = false;
        }
        if (frames.isEmpty())
            return SANE_STATUS_INVAL;
        const FrameParameters &frame = frames.at(frameIndex).parameters;
        parameters->format = static_cast<SANE_Frame>(frame.format);
        parameters->last_frame = frame.lastFrame;
        parameters->bytes_per_line = frame.bytesPerLine;
        parameters->pixels_per_line = frame.pixelsPerLine;
        parameters->lines = frame.lines;
        parameters->depth = frame.depth;
        return SANE_STATUS_GOOD;
    }

    SANE_Status read(SANE_Handle, SANE_Byte *data, SANE_Int maxLength, SANE_Int *length) override
    {
        std::function<void(int)> callback;
        SANE_Status status = SANE_STATUS_GOOD;
        {
            QMutexLocker lock(&mutex);
            note("read");
            *length = 0;
            if (frames.isEmpty() || frameIndex >= frames.size())
                return SANE_STATUS_EOF;
            const Frame &frame = frames.at(frameIndex);
            if (offset >= frame.data.size()) {
                atEnd = true;
                return frame.endStatus;
            }
            const int count = std::min({ int(maxLength), frame.chunk, frame.data.size() - offset });
            std::memcpy(data, frame.data.constData() + offset, size_t(count));
            offset += count;
            *length = count;
            callback = afterRead;
            status = SANE_STATUS_GOOD;
            ++reads;
        }
        if (callback)
            callback(reads);
        return status;
    }

    SANE_String_Const strstatus(SANE_Status status) override
    {
        switch (status) {
        case SANE_STATUS_GOOD:
            return "Success";
        case SANE_STATUS_DEVICE_BUSY:
            return "Device busy";
        case SANE_STATUS_NO_DOCS:
            return "Document feeder out of documents";
        case SANE_STATUS_IO_ERROR:
            return "Error during device I/O";
        case SANE_STATUS_JAMMED:
            return "Document feeder jammed";
        case SANE_STATUS_INVAL:
            return "Invalid argument";
        default:
            return "Scripted status";
        }
    }

    void cancel(SANE_Handle) override
    {
        QMutexLocker lock(&mutex);
        note("cancel");
        ++cancelCalls;
    }

    int openHandleCount()
    {
        QMutexLocker lock(&mutex);
        return openHandles;
    }

private:
    // Called with the mutex held.
    void note(const char *call)
    {
        events << QLatin1String(call);
        if (initDepth == 0)
            ++callsWhileExited;
    }

    void buildDescriptors()
    {
        descriptors.assign(size_t(options.size()) + 1, SANE_Option_Descriptor {});
        lists.clear();
        ranges.clear();
        descriptors[0].name = "";
        descriptors[0].type = SANE_TYPE_INT;
        descriptors[0].size = sizeof(SANE_Word);
        descriptors[0].cap = SANE_CAP_SOFT_DETECT;
        for (int i = 0; i < options.size(); ++i) {
            const Option &option = options.at(i);
            SANE_Option_Descriptor &descriptor = descriptors[size_t(i) + 1];
            descriptor.name = option.name.constData();
            descriptor.title = option.name.constData();
            descriptor.desc = "";
            descriptor.type = option.type;
            descriptor.unit = option.unit;
            descriptor.size = option.type == SANE_TYPE_STRING ? 64 : SANE_Int(sizeof(SANE_Word));
            descriptor.cap = SANE_CAP_SOFT_DETECT | (option.softSelect ? SANE_CAP_SOFT_SELECT : 0)
                | (option.active ? 0 : SANE_CAP_INACTIVE);
            if (option.hasList) {
                lists.emplace_back();
                for (const QByteArray &entry : option.list)
                    lists.back().push_back(entry.constData());
                lists.back().push_back(nullptr);
                descriptor.constraint_type = SANE_CONSTRAINT_STRING_LIST;
                descriptor.constraint.string_list = lists.back().data();
            } else if (option.hasRange) {
                descriptor.constraint_type = SANE_CONSTRAINT_RANGE;
                ranges.push_back(option.range);
                descriptor.constraint.range = &ranges.back();
            } else {
                descriptor.constraint_type = SANE_CONSTRAINT_NONE;
            }
        }
    }

    QMutex mutex;
    int initDepth = 0;
    int handleToken = 0;
    std::vector<SANE_Option_Descriptor> descriptors;
    std::deque<std::vector<SANE_String_Const>> lists;
    std::deque<SANE_Range> ranges;
    std::deque<Device> deviceStorage;
    std::deque<SANE_Device> saneDevices;
    std::vector<const SANE_Device *> devicePointers;
    QList<Frame> frames;
    int sheet = 0;
    int frameIndex = 0;
    int offset = 0;
    bool atEnd = false;
};
