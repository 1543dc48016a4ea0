#include <gtest/gtest.h>

#include <filesystem>

#include "../../outside/yesk/tests/script_world.h"
#include "checker/check_tools.h"
#include "checker/folder_structure_checks.h"
#include "kernel/file_elements.h"
#include "protocol_recorder.h"

namespace {

namespace fs = std::filesystem;

const std::string kStars = kProtocolStars;

class FolderStructureTest : public ScriptWorld {
protected:
    void SetUp() override {
        ScriptWorld::SetUp();
        RegisterCheckerClasses();
        device = TProtocolRecorder::New();
        node = NewNamed<TDirectoryHCheckNode>("folders");
    }
    void TearDown() override {
        Free(node);
        Free(device);
        ScriptWorld::TearDown();
    }
    void MakeFolders(const std::string& base, std::initializer_list<const char*> folders) {
        for (const char* f : folders) fs::create_directories(base + "/" + f);
    }
    // The template built from the folder, as the editor builds it.
    void TemplateFrom(const std::string& folder) {
        TDirectoryElement* d = TDirectoryElement::New();
        d->DirOnly = true;
        d->SetFileName(folder);
        node->GetTemplate()->SetTemplateElement(d);
        Free(d);
    }
    std::string Check(const std::string& folder) {
        device->Text.clear();
        TDirectoryHCheckTool* tool = TDirectoryHCheckTool::New();
        tool->SetDevice(device);
        tool->SetNode(node);
        tool->Directory = folder;
        tool->DoIt();
        Free(tool);
        return device->Text;
    }
    std::string Protocol(const std::vector<std::string>& body) {
        std::string text = Lines({" ", Cz("    Kontrola Adresářové struktury "), kStars});
        for (const std::string& l : body) text += l + "\r\n";
        return text + Lines({kStars, " "});
    }

    TProtocolRecorder* device = nullptr;
    TDirectoryHCheckNode* node = nullptr;
};

TEST_F(FolderStructureTest, ProtocolOfTheComparison) {
    MakeFolders(dir.Path("tpl"), {"a/a1/a11", "a/a2", "b", "c/c1"});
    TemplateFrom(dir.Path("tpl"));
    const std::string missing = Cz("Chybí:  "), extra = Cz("Navíc:  ");
    struct Case {
        const char* name;
        std::initializer_list<const char*> folders;
        std::vector<std::string> body;
    } cases[] = {
        {"same", {"a/a1/a11", "a/a2", "b", "c/c1"}, {" O.K."}},
        // letter case as the entity's name lookup takes it; files are not folders
        {"case", {"A/A1/a11", "A/a2", "B", "c/C1"}, {" O.K."}},
        // of two folders that differ in case only one is the template's, the other extra
        {"twins", {"a/a1/a11", "a/a2", "A/a1", "b", "c/c1", "C/c1"}, {extra + "root\\A", extra + "root\\C"}},
        {"twins folded", {"A/A1/a11", "A/a2", "a1", "B", "c/c1", "C/c1"}, {extra + "root\\a1", extra + "root\\C"}},
        // a missing folder with its sub-folders: the highest one only
        {"lost", {"b", "c/c1"}, {missing + "root\\a"}},
        {"deep", {"a/a1", "a/a2", "b", "c/c1"}, {missing + "root\\a\\a1\\a11"}},
        // an extra folder with sub-folders: it alone
        {"new", {"a/a1/a11", "a/a2/x/y", "b", "c/c1", "d/e/f"},
         {extra + "root\\a\\a2\\x", extra + "root\\d"}},
        {"both", {"a/a1/a11", "a/z", "c"}, {missing + "root\\a\\a2", missing + "root\\b", missing + "root\\c\\c1",
                                           extra + "root\\a\\z"}},
        {"absent", {}, {missing + "root\\a", missing + "root\\b", missing + "root\\c"}},
    };
    for (const Case& c : cases) {
        std::string data = dir.Path(c.name);
        fs::create_directories(data);
        MakeFolders(data, c.folders);
        std::ofstream(data + "/b.txt") << "x";
        if (std::string(c.name) == "absent") data += "/none";
        std::string expected = Protocol(c.body);
        std::string first = Check(data);
        EXPECT_EQ(first, expected) << c.name;
        // the template is back as saved: a second run writes the same
        EXPECT_EQ(Check(data), first) << c.name;
    }
    THierarchyTemplate* root = node->GetTemplate();
    ASSERT_EQ(root->ElementsCount(), 3);
    EXPECT_EQ(root->Get(2)->GetName(), "c");
}

// Sibling folders "Alfa" and "ALFA" against a template that names "Alfa" only: every run
// reports "ALFA" and what "Alfa" holds beyond the template, and the template stays as saved.
TEST_F(FolderStructureTest, FoldersDifferingInCaseOnly) {
    MakeFolders(dir.Path("tpl"), {"Alfa", "Beta"});
    TemplateFrom(dir.Path("tpl"));
    const std::string extra = Cz("Navíc:  ");
    struct Case {
        const char* name;
        std::initializer_list<const char*> folders;
        std::vector<std::string> body;
    } cases[] = {
        {"upper first", {"ALFA/X", "Alfa/X", "Beta"}, {extra + "root\\Alfa\\X", extra + "root\\ALFA"}},
        {"folded only", {"ALFA/X", "alfa", "Beta"}, {extra + "root\\Alfa\\X", extra + "root\\alfa"}},
    };
    for (const Case& c : cases) {
        std::string data = dir.Path(c.name);
        MakeFolders(data, c.folders);
        const std::string expected = Protocol(c.body);
        for (int run = 0; run < 3; ++run) EXPECT_EQ(Check(data), expected) << c.name << " " << run;
        THierarchyTemplate* root = node->GetTemplate();
        ASSERT_EQ(root->ElementsCount(), 2);
        for (int32_t i = 0; i < 2; ++i) {
            auto* child = As<THierarchyTemplate>(root->Get(i));
            EXPECT_EQ(child->ElementsCount(), 0) << c.name;
            EXPECT_EQ(child->Status, THierarchyTemplateStatus::htsClear);
        }
    }
}

// Folders below one the template does not name are not read: the check's cost does not
// grow with what lies inside an extra folder.
TEST_F(FolderStructureTest, ExtraFoldersAreNotEntered) {
    MakeFolders(dir.Path("tpl"), {"a/b"});
    TemplateFrom(dir.Path("tpl"));
    const std::string data = dir.Path("data");
    MakeFolders(data, {"a/b/c"});
    for (int i = 0; i < 100; ++i) fs::create_directories(data + "/x/" + std::to_string(i) + "/y");
    const uint64_t before = DestroyedCount();
    EXPECT_EQ(Check(data), Protocol({Cz("Navíc:  ") + "root\\a\\b\\c", Cz("Navíc:  ") + "root\\x"}));
    // The folder elements read, the added nodes and the tool: far fewer than the 200 below x.
    EXPECT_LT(DestroyedCount() - before, 50u);
}

TEST_F(FolderStructureTest, WithoutNodeOrDevice) {
    TDirectoryHCheckTool* tool = TDirectoryHCheckTool::New();
    tool->Directory = dir.Path();
    tool->DoIt();  // no device: nothing
    tool->SetDevice(device);
    tool->DoIt();
    EXPECT_EQ(device->Text, Lines({" ", Cz("    Kontrola Adresářové struktury "), kStars}));
    Free(tool);
}

TEST_F(FolderStructureTest, TemplateReplacedIsNamedRoot) {
    THierarchyTemplate* first = node->GetTemplate();
    EXPECT_EQ(first->GetName(), "root");
    EXPECT_EQ(node->GetTemplate(), first);
    THierarchyTemplate* other = NewNamed<THierarchyTemplate>("x");
    other->AddElement(NewNamed<THierarchyTemplate>("sub"));
    node->SetTemplate(other);
    EXPECT_EQ(node->GetTemplate(), other);
    EXPECT_EQ(node->ElementsCount(), 1);
    EXPECT_EQ(As<THierarchyTemplate>(other->Get(0))->GetFullPath(), "root\\sub");
}

}  // namespace
