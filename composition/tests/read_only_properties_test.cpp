// Read-only published properties are written like every stored property and never
// applied when read back.
#include "kernel/file_elements.h"
#include "modelfile_test_util.h"

namespace mft {
namespace {

using ReadOnlyPropertiesTest = ModelFileTest;

TEST_F(ReadOnlyPropertiesTest, FileElementRecordCarriesThemAndReadingIgnoresThem) {
    const std::string path = Path("data.txt");
    WriteFile(path, "12345");
    TFileElement* file = TFileElement::New();
    file->SetFileName(path);
    TSearchRec rec;
    rec.Name = "data.txt";
    rec.Size = 777;                     // differs from the file: the record is what is written
    rec.Attr = faArchive | faDirectory;  // AttrDirectory read-only and set
    rec.Time = DateTimeToFileDate(EncodeDate(2020, 5, 17) + EncodeTime(10, 30, 0, 0));
    file->AssignSearchRec(rec);
    const std::string bytes = Save(file);

    const TClassInfo* cls = TFileElement::StaticClass();
    Bytes expected;
    expected.Header().ClassRecord(cls, 0).Int(0).Int(0).Begin();
    for (const char* name : {"NextElement", "ElementToFree", "ElementToRemove", "AddAllFrom"})
        expected.Int(PropIndex(cls, name)).Int(-1);
    expected.Int(PropIndex(cls, "Exists")).Int(1);
    expected.Int(PropIndex(cls, "FileName")).Str(path);
    expected.Int(PropIndex(cls, "FilePath")).Str(ExtractFilePath(path));
    expected.Int(PropIndex(cls, "FileExt")).Str("txt");
    expected.Int(PropIndex(cls, "FileSize")).Int(777);
    expected.Int(PropIndex(cls, "FileTime")).Float(file->GetFileTime());
    expected.Int(PropIndex(cls, "FileTimeString")).Str(file->GetFileTimeString());
    expected.Int(PropIndex(cls, "Attributes")).Int(faArchive | faDirectory);
    expected.Int(PropIndex(cls, "AttrArchive")).Int(1);
    expected.Int(PropIndex(cls, "AttrDirectory")).Int(1);
    expected.End().Int(0).End();
    EXPECT_EQ(bytes, expected.str());
    Free(file);

    // Read back, only the properties with a writer are applied: the size stays the empty
    // record's, the derived ones follow the file name.
    auto* loaded = As<TFileElement>(LoadBytes(bytes));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->GetFileName(), path);
    EXPECT_EQ(loaded->GetFileSize(), 0);
    EXPECT_EQ(loaded->GetAttributes(), faArchive | faDirectory);
    EXPECT_EQ(loaded->GetFilePath(), ExtractFilePath(path));
    Free(loaded);
}

}  // namespace
}  // namespace mft
