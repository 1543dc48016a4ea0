#include "kernel/file_elements.h"

#include <sys/stat.h>

#include <climits>
#include <unordered_set>
#include <utility>
#include <vector>

#include "kernel/class_registry.h"
#include "platform/inifiles.h"
#include "platform/sysutils.h"
#include "platform/windows.h"

namespace {

// A name that stays inside its folder: no delimiter, no drive colon, not "." or "..".
bool PlainFileName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (char c : name)
        if (IsPathDelimiter(c) || c == ':' || c == '\0') return false;
    return true;
}

bool IsSymbolicLink(const std::string& path) {
    struct stat st;
    return lstat(MapPath(path).c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

int modelFilesReading = 0;

}  // namespace

ModelFileReading::ModelFileReading() { ++modelFilesReading; }

ModelFileReading::~ModelFileReading() { --modelFilesReading; }

bool ModelFileReading::Active() { return modelFilesReading > 0; }

// ---- TFileElement ------------------------------------------------------------------------

void TFileElement::Publish(PropertyTable& t) {
    using C = TFileElement;
    t.Bool<C>("Exists", &C::GetExists, nullptr);
    t.Str<C>("FileName", &C::GetFileName, &C::SetFileName);
    t.Str<C>("FilePath", &C::GetFilePath, nullptr);
    t.Str<C>("FileExt", &C::GetFileExt, &C::SetFileExt);
    t.Int<C>("FileSize", &C::GetFileSize, nullptr);
    t.Float<C>("FileTime", &C::GetFileTime, &C::SetFileTime);
    t.Str<C>("FileTimeString", &C::GetFileTimeString, &C::SetFileTimeString);
    t.Byte<C>("Attributes", &C::GetAttributes, &C::SetAttributes);
    auto bit = [&t](const char* name, int mask, bool writable) {
        auto get = [mask](C* c) { return c->GetAttr(mask); };
        if (writable)
            t.Bool<C>(name, get, [mask](C* c, bool v) { c->SetAttr(mask, v); });
        else
            t.Bool<C>(name, get, nullptr);
    };
    bit("AttrReadOnly", faReadOnly, true);
    bit("AttrHidden", faHidden, true);
    bit("AttrSysFile", faSysFile, true);
    bit("AttrArchive", faArchive, true);
    bit("AttrVolumeID", faVolumeID, false);
    bit("AttrDirectory", faDirectory, false);
    t.Bool<C>("ReadInfo", nullptr, &C::SetReadInfo);
}

std::string TFileElement::GetName() { return ExtractFileName(FFileName); }

void TFileElement::SetName(const std::string& value) {
    if (ModelFileReading::Active() || !PlainFileName(value)) return;
    std::string newPath = ExtractFilePath(FFileName) + value;
    if (!RenameFile(FFileName, newPath)) return;
    FSearchRec.Name = value;
    SetFileName(newPath);
    // A folder held by a folder, or renamed only in letter case, keeps its path there.
    if (FFileName != newPath) MoveTo(newPath);
}

void TFileElement::MoveTo(const std::string& path) {
    std::unordered_set<TFileElement*> seen;
    std::vector<std::pair<TFileElement*, std::string>> todo{{this, path}};
    while (!todo.empty()) {
        auto [e, where] = todo.back();
        todo.pop_back();
        if (!seen.insert(e).second) continue;
        e->FFileName = where;
        std::string dir = IncludeTrailingPathDelimiter(where);
        for (int32_t i = 0; i < e->ElementsCount(); ++i)
            if (auto* child = As<TFileElement>(e->Get(i)))
                todo.emplace_back(child, dir + ExtractFileName(child->FFileName));
    }
}

void TFileElement::SetFileName(const std::string& value) { FFileName = value; }

bool TFileElement::GetExists() { return FileExists(FFileName); }

std::string TFileElement::GetFilePath() { return ExtractFilePath(FFileName); }

std::string TFileElement::GetFileExt() {
    std::string ext = ExtractFileExt(FFileName);
    return ext.size() > 1 ? ext.substr(1) : std::string();
}

// Writing the extension changes nothing.
void TFileElement::SetFileExt(const std::string&) {}

int32_t TFileElement::GetFileSize() {
    return FSearchRec.Size > INT32_MAX ? INT32_MAX : static_cast<int32_t>(FSearchRec.Size);
}

TDateTime TFileElement::GetFileTime() {
    try {
        return FileDateToDateTime(FSearchRec.Time);
    } catch (const Exception&) {
        return 0;
    }
}

void TFileElement::SetFileTime(TDateTime value) {
    FSearchRec.Time = DateTimeToFileDate(value);
    if (!ModelFileReading::Active()) FileSetDate(FFileName, FSearchRec.Time);
}

std::string TFileElement::GetFileTimeString() { return DateTimeToStr(GetFileTime()); }

void TFileElement::SetFileTimeString(const std::string& value) {
    TDateTime dt;
    if (TryStrToDateTime(value, dt)) SetFileTime(dt);
}

void TFileElement::SetAttributes(uint8_t value) {
    FSearchRec.Attr = value;
    if (!ModelFileReading::Active()) FileSetAttr(FFileName, value);
}

void TFileElement::SetAttr(int bit, bool value) {
    if (value)
        FSearchRec.Attr |= bit;
    else
        FSearchRec.Attr &= ~bit;
    if (!ModelFileReading::Active()) FileSetAttr(FFileName, FSearchRec.Attr);
}

void TFileElement::SetReadInfo(bool value) {
    if (!value) return;
    TSearchRec rec;
    if (FindFirst(FFileName, faAnyFile, rec) == 0) AssignSearchRec(rec);
    FindClose(rec);
}

void TFileElement::AssignSearchRec(const TSearchRec& rec) {
    FSearchRec.Name = rec.Name;
    FSearchRec.Size = rec.Size;
    FSearchRec.Attr = rec.Attr;
    FSearchRec.Time = rec.Time;
}

// ---- TDirectoryElement -------------------------------------------------------------------

void TDirectoryElement::Publish(PropertyTable& t) {
    using C = TDirectoryElement;
    t.Bool<C>("DirOnly", [](C* c) { return c->DirOnly; }, [](C* c, bool v) { c->DirOnly = v; });
}

void TDirectoryElement::SetFileName(const std::string& value) {
    if (FindOwnerClass(TDirectoryElement::StaticClass())) return;
    if (AnsiSameText(value, FFileName)) return;
    FFileName = value;
    FreeAll();
    List();
}

void TDirectoryElement::ListOnce() {
    if (!FListed && !FFileName.empty()) List();
}

void TDirectoryElement::List() {
    FListed = true;
    std::string dir = IncludeTrailingPathDelimiter(FFileName);
    TSearchRec rec;
    for (int rc = FindFirst(dir + "*.*", DirOnly ? faDirectory : faAnyFile, rec); rc == 0; rc = FindNext(rec)) {
        if (rec.Name == "." || rec.Name == ".." || (rec.Attr & faVolumeID)) continue;
        std::string path = dir + rec.Name;
        TFileElement* e = nullptr;
        if (rec.Attr & faDirectory) {
            TDirectoryElement* d = TDirectoryElement::New();
            d->DirOnly = DirOnly;
            d->ListSubFolders = ListSubFolders;
            d->AssignSearchRec(rec);
            if (IsSymbolicLink(path)) {
                d->FFileName = path;  // shown, not entered
                d->FListed = true;
            } else if (!ListSubFolders) {
                d->FFileName = path;  // entered by its own ListOnce
            } else {
                d->SetFileName(path);
            }
            e = d;
        } else if (!DirOnly) {
            // A unit takes the file name only; its search record stays empty.
            if (ExtractFileExt(rec.Name) == ".PAS") {
                e = TPascalUnitElement::New();
            } else {
                e = TFileElement::New();
                e->AssignSearchRec(rec);
            }
            e->SetFileName(path);
        }
        if (e) AddElement(e);
    }
    FindClose(rec);
}

// ---- TLogicalDriveElement ----------------------------------------------------------------

const TTypeInfo* TypeInfoTDriveType() {
    static const TTypeInfo* t =
        MakeEnumType("TDriveType", {"Unknown", "DontExists", "Floppy", "HardDisk", "Network", "CDROM", "RAM"});
    return t;
}

void TLogicalDriveElement::Publish(PropertyTable& t) {
    using C = TLogicalDriveElement;
    t.Bool<C>("Active", &C::GetActive, &C::SetActive);
    t.Char<C>("RootName", [](C* c) { return c->RootName; }, [](C* c, char v) { c->RootName = v; });
    t.Enum<C, TDriveType>("DriveType", TypeInfoTDriveType(), &C::GetDriveType, nullptr);
    t.Str<C>("DriveTypeString", &C::GetDriveTypeString, nullptr);
}

std::string TLogicalDriveElement::GetName() { return TNameEntity::GetName(); }
void TLogicalDriveElement::SetName(const std::string& value) { TNameEntity::SetName(value); }

void TLogicalDriveElement::SetActive(bool value) {
    if (value == FActive) return;
    if (value) {
        SetFileName(std::string(1, RootName) + ":\\");
    } else {
        FreeAll();
        FFileName.clear();  // so that activating again lists the drive anew
    }
    FActive = value;
}

TDriveType TLogicalDriveElement::GetDriveType() {
    int type = ::GetDriveType(std::string(1, RootName) + ":\\");
    return type >= 0 && type <= 6 ? static_cast<TDriveType>(type) : TDriveType::Unknown;
}

std::string TLogicalDriveElement::GetDriveTypeString() {
    static const char* const texts[] = {"UnKnown", "not found ", "FD", "HD", "REMOTE disk", "CDROM", "RAM Disk"};
    return texts[static_cast<int>(GetDriveType())];
}

// ---- TLocalComputerElement ---------------------------------------------------------------

void TLocalComputerElement::Create() {
    inherited::Create();
    uint32_t mask = GetLogicalDrives();
    for (int bit = 0; bit < 32; ++bit) {
        if (!((mask >> bit) & 1u)) continue;
        TLogicalDriveElement* d = TLogicalDriveElement::New();
        d->RootName = static_cast<char>('A' + bit);
        d->SetName(std::string(1, d->RootName) + " " + d->GetDriveTypeString());
        AddElement(d);
    }
}

// ---- TFileModel, TFilePathModel ----------------------------------------------------------

void TFileModel::Publish(PropertyTable& t) {
    using C = TFileModel;
    t.Str<C>("FileName", &C::GetFileName, &C::SetFileName);
    t.Str<C>("Path", &C::GetPath, &C::SetPath);
}

std::string TFileModel::GetFileName() { return FFileName; }
std::string TFileModel::GetPath() { return ExtractFileDir(FFileName); }
void TFileModel::SetFileName(const std::string& value) { FFileName = value; }

void TFileModel::SetPath(const std::string& value) {
    std::string name = ExtractFileName(FFileName);
    SetFileName(value.empty() ? name : IncludeTrailingPathDelimiter(value) + name);
}

void TFilePathModel::Publish(PropertyTable& t) {
    using C = TFilePathModel;
    t.Str<C>("Path1", [](C* c) { return c->Path1; }, [](C* c, const std::string& v) { c->Path1 = v; });
}

// ---- TFileBasedEntity --------------------------------------------------------------------

void TFileBasedEntity::Publish(PropertyTable& t) {
    using C = TFileBasedEntity;
    t.Str<C>("FileName", &C::GetFileName, &C::SetFileName);
    t.Int<C>("Error", [](C* c) { return c->Error; }, [](C* c, int32_t v) { c->Error = v; });
}

std::string TFileBasedEntity::GetFileName() { return FFileName; }

void TFileBasedEntity::SetFileName(const std::string& value) {
    FFileName = value;
    Error = 0;
    if (value.empty()) {
        Error = 11;
    } else if (!FileExists(value)) {
        Error = 12;
    } else {
        try {
            LoadFromFile(value);
        } catch (...) {
            Error = 13;
        }
    }
}

void TFileBasedEntity::LoadFromFile(const std::string&) {}
void TFileBasedEntity::SaveToFile(const std::string&) {}

// ---- TPascalUnitElement ------------------------------------------------------------------

void TPascalUnitElement::Publish(PropertyTable& t) {
    using C = TPascalUnitElement;
    for (const char* key : {"Description", "Version", "Admin", "TechTopic", "Topic"})
        t.Str<C>(key, [key](C* c) { return c->ReadDescription(key); }, [](C*, const std::string&) {});
}

std::string TPascalUnitElement::ReadDescription(const char* key) {
    if (FFileName.empty()) return std::string();
    return TIniFile(FFileName).ReadString("Unit_Description", key, "");
}

// ---- TPascalUnits ------------------------------------------------------------------------

namespace {

const char* const kAdmins = "Admins";
const char* const kTechTopics = "Tech topics";
const char* const kTopics = "Topics";
const char* const kUnits = "Units";

bool HasChild(TEntity* owner, const char* name) { return As<TOwnerEntity>(owner->FindElementName(name)) != nullptr; }

}  // namespace

void TPascalUnits::Publish(PropertyTable& t) {
    using C = TPascalUnits;
    // Stored only while present, so that saving creates nothing.
    auto child = [&t](const char* prop, TOwnerEntity* (C::*get)(), const char* name) {
        t.Obj<C, TOwnerEntity>(prop, get, nullptr).template StoredIf<C>([name](C* c) { return HasChild(c, name); });
    };
    child("Admins", &C::GetAdmins, kAdmins);
    child("TechTopics", &C::GetTechTopics, kTechTopics);
    child("Topics", &C::GetTopics, kTopics);
    child("Units", &C::GetUnits, kUnits);
    t.Obj<C, TFileElement>("NextUnit", nullptr, [](C*, TFileElement*) {});
}

TOwnerEntity* TPascalUnits::Child(const char* name) {
    if (auto* e = As<TOwnerEntity>(FindElementName(name))) return e;
    TOwnerEntity* e = TOwnerEntity::New();
    e->SetName(name);
    AddElement(e);
    return e;
}

TOwnerEntity* TPascalUnits::GetAdmins() { return Child(kAdmins); }
TOwnerEntity* TPascalUnits::GetTechTopics() { return Child(kTechTopics); }
TOwnerEntity* TPascalUnits::GetTopics() { return Child(kTopics); }
TOwnerEntity* TPascalUnits::GetUnits() { return Child(kUnits); }

// ---- registration ------------------------------------------------------------------------

void RegisterEFilesUnit() {
    RegisterZarixClass<TFileElement>();
    RegisterZarixClass<TDirectoryElement>();
    RegisterZarixClass<TLogicalDriveElement>();
    RegisterZarixClass<TLocalComputerElement>();
    RegisterZarixClass<TTextFileElement>();
    RegisterZarixClass<TFileModel>();
    RegisterZarixClass<TFilePathModel>();
    RegisterZarixClass<TFileBasedEntity>();
    RegisterZarixClass<TPascalUnitElement>();
    RegisterZarixClass<TPascalUnits>();
}
