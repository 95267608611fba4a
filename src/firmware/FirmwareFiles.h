#pragma once
#include "model/RevisionedFileName.h"
#include <QStringList>

// The files of a firmware folder that matter: the newest firmware file and the release notes.
// The same rules decide which files of the file server are worth copying.
class CFirmwareFiles {
public:
    static constexpr const char* kFirmwareBaseName = "qro4000fw";
    static constexpr const char* kReleaseNotesName = "qro4000fwnotes.rtf";
    static constexpr const char* kFirmwareExtension = ".hex";

    virtual ~CFirmwareFiles() = default;

    void Reset();
    const CRevisionedFileName& FirmwareFile() const { return m_firmwareFile; }
    const CRevisionedFileName& ReleaseNotesFile() const { return m_releaseNotesFile; }
    bool HasFirmwareFile() const { return !m_firmwareFile.m_fileName.isEmpty(); }
    bool HasReleaseNotesFile() const { return !m_releaseNotesFile.m_fileName.isEmpty(); }
    bool HasRequiredFile() const { return HasFirmwareFile(); }
    bool IsEmpty() const { return !HasFirmwareFile() && !HasReleaseNotesFile(); }

    // ".hex" (any case), a title starting "qro4000fw" (any case) and not ending in "B": a
    // title ending in "B" marks a file that is not a loadable image.
    static bool IsFirmwareFile(const QString& name);
    static bool IsReleaseNotesFile(const QString& name);
    // The release notes always; a firmware file when none is held yet or when it is newer.
    bool IsWanted(const CRevisionedFileName& file) const;
    // Puts a server file on the copy list when it is wanted: the release notes are appended;
    // a newer firmware file replaces an older one already listed (the list holds at most one)
    // or is appended.
    void AddToCopyList(const QString& name, QStringList* list) const;
    // Keeps the path when it is the release notes or a firmware file newer than the one held.
    void Consider(const QString& path);
    // Scans the folder's files (not its subfolders). The process's current directory is left
    // alone. False when the folder cannot be read; both names are then empty.
    bool ScanFolder(const QString& folder);

    // The folder joined with a name, with one separator.
    static QString JoinPath(const QString& folder, const QString& name);

private:
    CRevisionedFileName m_firmwareFile;
    CRevisionedFileName m_releaseNotesFile;
};
