#pragma once

#include <QString>

class QFile;

// Writing a file through a temporary file beside it that replaces the target only once
// it is complete: a failed save never leaves a truncated file under the target's name
// nor destroys the version that was there. The temporary file is opened read-write and
// unbuffered, so every write reaches the disk at once and its failure shows in the
// file's error state (QSaveFile cannot be read back, and in Qt 5 it commits even when
// the last buffered flush fails).
namespace FileReplacement {

// Opens a new temporary file in the target's folder, with the target's permissions
// when the target exists.
bool open(const QString &target, QFile *file, QString *errorText);

// Closes the temporary file and moves it over the target.
bool commit(QFile *file, const QString &target, QString *errorText);

// Whether a PDF written to the temporary file is whole. A write that fails part-way
// (a full disk) does not always leave an error on the file: the writes after it may
// reset it, and a short last write raises none. A PDF that lost its end lacks the
// end-of-file marker.
bool isCompletePdf(QFile *file);

// Closes and deletes the temporary file.
void discard(QFile *file);

} // namespace FileReplacement
