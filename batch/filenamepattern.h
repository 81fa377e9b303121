#pragma once

#include <QCoreApplication>
#include <QDateTime>
#include <QString>

// File names made from a pattern such as "扫描_{日期}_{序号}": the fields
// {日期} (yyyyMMdd), {时间} (HHmmss), {序号} (the running number, three digits
// at least), {条码} (the separator sheet's code), {方案} (the profile's name) and
// {页数} (the document's pages) are filled in, as are their English names {date},
// {time}, {number}, {barcode}, {profile} and {pages}; a brace that names no field
// stays as text. Characters a file system refuses become "_".
class FileNamePattern
{
    Q_DECLARE_TR_FUNCTIONS(FileNamePattern)

public:
    struct Fields
    {
        QDateTime when;
        int sequence = 1;
        QString barcode;
        QString profile;
        int pageCount = 0;
    };

    static QString defaultPattern();

    // The file name (without folder or extension) the pattern gives.
    static QString expand(const QString &pattern, const Fields &fields);

    // "<folder>/<name>.<ext>" of a file that does not exist yet: while the name
    // is taken, {序号} counts on, and a pattern without it gets "_2", "_3", ...
    // *sequenceUsed, when given, is the number {序号} ended at.
    static QString freePath(const QString &folder, const QString &pattern, const QString &extension, Fields fields,
        int *sequenceUsed = nullptr);
};
