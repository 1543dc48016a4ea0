// Files, folders and drives as element trees, so that scripts and the element explorer
// can browse and change them; file models and file-based entities.
#pragma once
#include <cstdint>
#include <string>

#include "kernel/elements.h"
#include "platform/files.h"

// Marks, while it lives, that a model file is being read: published setters that would
// change the file system (create or empty a file, rename it, date it, set its attributes)
// then only record their value, so reading a model never touches a file.
class ModelFileReading {
public:
    ModelFileReading();
    ~ModelFileReading();
    ModelFileReading(const ModelFileReading&) = delete;
    ModelFileReading& operator=(const ModelFileReading&) = delete;
    static bool Active();
};

// One file: its search record and full path. The element name is the file-name part of
// the path; setting it renames the file (except while a model file is read: the name is
// then the file name's part).
class TFileElement : public TOwnerEntity {
    ZARIX_CLASS(TFileElement, TOwnerEntity)
    static void Publish(PropertyTable& t);

public:
    std::string GetName() override;
    // Renames the file to folder + value; a name with a folder delimiter, a drive colon,
    // "." or ".." is refused. The names change only when the rename succeeds; a renamed
    // folder's elements below it take the new path.
    void SetName(const std::string& value) override;

    virtual void SetFileName(const std::string& value);
    const std::string& GetFileName() const { return FFileName; }

    bool GetExists();
    std::string GetFilePath();
    std::string GetFileExt();
    void SetFileExt(const std::string& value);
    int32_t GetFileSize();  // saturated at 2147483647
    TDateTime GetFileTime();
    void SetFileTime(TDateTime value);
    std::string GetFileTimeString();
    void SetFileTimeString(const std::string& value);
    uint8_t GetAttributes() const { return static_cast<uint8_t>(FSearchRec.Attr); }
    void SetAttributes(uint8_t value);
    // One bit of the attribute byte (faReadOnly .. faArchive of platform/files.h).
    bool GetAttr(int bit) const { return (FSearchRec.Attr & bit) != 0; }
    void SetAttr(int bit, bool value);
    // True: the search record is read again from the file system.
    void SetReadInfo(bool value);

    // Takes the name, size, attributes and time of a search record.
    void AssignSearchRec(const TSearchRec& rec);
    const TSearchRec& SearchRec() const { return FSearchRec; }

protected:
    std::string FFileName;
    TSearchRec FSearchRec;

private:
    // Points this element and the file elements below it at the renamed path.
    void MoveTo(const std::string& path);
};

// A folder; its children are its entries, listed when its file name is set.
class TDirectoryElement : public TFileElement {
    ZARIX_CLASS(TDirectoryElement, TFileElement)
    static void Publish(PropertyTable& t);

public:
    // Lists the folder anew when the name differs from the present one (letter case
    // ignored), unless this element is itself held by a directory element. Symbolic links
    // to folders are not entered.
    void SetFileName(const std::string& value) override;
    // Lists the entries when they have not been listed yet (a sub-folder made by a listing
    // without ListSubFolders, or a symbolic link, which stays unlisted).
    void ListOnce();

    bool DirOnly = false;
    // False: a listing makes its sub-folders unlisted (with this setting), each listed by
    // its own ListOnce; a walk then reads only the folders it enters.
    bool ListSubFolders = true;

protected:
    void List();

private:
    bool FListed = false;
};

enum class TDriveType : uint8_t { Unknown, DontExists, Floppy, HardDisk, Network, CDROM, RAM };
const TTypeInfo* TypeInfoTDriveType();

// One drive; listed when made active.
class TLogicalDriveElement : public TDirectoryElement {
    ZARIX_CLASS(TLogicalDriveElement, TDirectoryElement)
    static void Publish(PropertyTable& t);

public:
    // A plain stored name, not taken from the file name.
    std::string GetName() override;
    void SetName(const std::string& value) override;

    bool GetActive() const { return FActive; }
    void SetActive(bool value);
    char RootName = 0;
    TDriveType GetDriveType();
    std::string GetDriveTypeString();

private:
    bool FActive = false;
};

// The drives present: one TLogicalDriveElement child per drive of the drive table.
class TLocalComputerElement : public TOwnerEntity {
    ZARIX_CLASS(TLocalComputerElement, TOwnerEntity)

public:
    void Create() override;
};

// A file name with its folder part.
class TFileModel : public TOwnerEntity {
    ZARIX_CLASS(TFileModel, TOwnerEntity)
    static void Publish(PropertyTable& t);

public:
    virtual std::string GetFileName();
    virtual std::string GetPath();
    virtual void SetFileName(const std::string& value);
    // Keeps the file-name part and puts it into the new folder.
    virtual void SetPath(const std::string& value);

protected:
    std::string FFileName;
};

class TFilePathModel : public TFileModel {
    ZARIX_CLASS(TFilePathModel, TFileModel)
    static void Publish(PropertyTable& t);

public:
    std::string Path1;
};

// An entity read from a file; Error tells how setting the file name went:
// 0 loaded, 11 no name, 12 no such file, 13 loading failed.
class TFileBasedEntity : public TOwnerEntity {
    ZARIX_CLASS(TFileBasedEntity, TOwnerEntity)
    static void Publish(PropertyTable& t);

public:
    virtual std::string GetFileName();
    virtual void SetFileName(const std::string& value);
    // Hooks for descendants; empty here.
    virtual void LoadFromFile(const std::string& path);
    virtual void SaveToFile(const std::string& path);

    int32_t Error = 0;

protected:
    std::string FFileName;
};

class TTextFileElement : public TFileElement {
    ZARIX_CLASS(TTextFileElement, TFileElement)
};

// A source unit whose description is kept in it as the ini section "Unit_Description".
class TPascalUnitElement : public TFileElement {
    ZARIX_CLASS(TPascalUnitElement, TFileElement)
    static void Publish(PropertyTable& t);

public:
    // The key's value in the section; empty when missing.
    std::string ReadDescription(const char* key);
};

// Holds units sorted by admin, technical topic and topic.
class TPascalUnits : public TOwnerEntity {
    ZARIX_CLASS(TPascalUnits, TOwnerEntity)
    static void Publish(PropertyTable& t);

public:
    TOwnerEntity* GetAdmins();
    TOwnerEntity* GetTechTopics();
    TOwnerEntity* GetTopics();
    TOwnerEntity* GetUnits();

private:
    TOwnerEntity* Child(const char* name);
};

// Registers the classes of the file elements.
void RegisterEFilesUnit();
