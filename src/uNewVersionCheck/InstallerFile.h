#pragma once
// The installer between its download and its start: a folder made for this one download,
// which no other user can enter, and the check that what arrived is a Windows program.
#include <QIODevice>
#include <QString>

// True when the device holds a Windows executable's headers: "MZ" at the start and, at the
// offset that the DOS header gives in its bytes 60 to 63, the PE signature with room for the
// file header after it. An HTML error page, a cut-off file or an empty one is not.
bool LooksLikeWindowsProgram(QIODevice& file);
// The same for a file; false when it cannot be read.
bool LooksLikeWindowsProgram(const QString& path);

// A new folder of the user's own, made inside parent for one file. Unless Keep is called,
// the file and the folder are removed when it goes, so that a failed download leaves
// nothing behind; nothing else is ever removed (a folder that holds more stays).
class TDownloadFolder {
public:
    TDownloadFolder(const QString& parent, const QString& fileName);
    ~TDownloadFolder();
    TDownloadFolder(const TDownloadFolder&) = delete;
    TDownloadFolder& operator=(const TDownloadFolder&) = delete;

    // Why the folder could not be made; empty when it was.
    const QString& Failure() const { return FFailure; }
    const QString& Folder() const { return FFolder; }
    const QString& FilePath() const { return FFilePath; }
    // The file is in use (the installer runs from it): it stays.
    void Keep() { FKeep = true; }

private:
    QString FFolder;
    QString FFilePath;
    QString FFailure;
    bool FKeep = false;
};
