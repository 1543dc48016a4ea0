// The text window device and the text file device.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "composition/modelfile.h"
#include "composition/text_devices.h"
#include "kernel/file_elements.h"
#include "kernel/messages.h"
#include "kernel/property_access.h"
#include "kernel/world.h"
#include "platform/classes.h"
#include "sheets_test_util.h"

namespace sheets {
namespace {

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Records the "done" messages that reach the main tool.
class TDoneProbe : public TTechnology {
    ZARIX_CLASS(TDoneProbe, TTechnology)

public:
    void HandleMessage(TZarixMessage*& message, bool& handled) override {
        if (message && message->Message == 3) {
            senders.push_back(message->Sender);
            senderLive.push_back(message->Sender && IsLive(message->Sender));
        }
        inherited::HandleMessage(message, handled);
    }
    std::vector<TElement*> senders;
    std::vector<bool> senderLive;
};

class TextDevicesTest : public SheetsTest {
protected:
    void TearDown() override {
        Application().ProcessMessages();
        SheetsTest::TearDown();
    }
    std::string dir = ::testing::TempDir();
};

TEST_F(TextDevicesTest, WindowLinesFollowTheWritesWithAPendingLastLine) {
    TMemoFormDevice* d = TMemoFormDevice::New();
    TStdtxtForm* f = d->Form();
    ASSERT_NE(f, nullptr);
    EXPECT_TRUE(f->Visible);
    d->WriteText("a");
    d->WriteText("b");
    d->WriteLine("c");
    EXPECT_EQ(f->Lines(), (std::vector<std::string>{"abc", " "}));
    d->WriteText("d");
    EXPECT_EQ(f->Lines(), (std::vector<std::string>{"abc", "d"}));
    EXPECT_EQ(f->PendingLine(), "d");
    EXPECT_TRUE(f->Modified());
    d->Clear();
    EXPECT_TRUE(f->Lines().empty());
    EXPECT_EQ(f->PendingLine(), "");
    // Freed by code, the device leaves its window open for reading; the window forgets it.
    d->WriteLine("kept");
    Free(d);
    EXPECT_EQ(f->Device(), nullptr);
    EXPECT_EQ(f->Lines().front(), "kept");
    f->Close();
}

TEST_F(TextDevicesTest, FindSelectsTheNextMatchAndTellsWhenThereIsNone) {
    TMemoFormDevice* d = TMemoFormDevice::New();
    TStdtxtForm* f = d->Form();
    d->WriteLine("alfa beta");
    d->WriteLine("gama beta");
    struct Case {
        const char* text;
        bool found;
        int start, line, column;
    } cases[] = {{"beta", true, 5, 0, 5}, {"beta", true, 16, 1, 5}, {"beta", false, 16, 1, 5}, {"alfa", false, 16, 1, 5}};
    for (const Case& c : cases) {
        ClearHostLog();
        EXPECT_EQ(f->Find(c.text), c.found) << c.text;
        EXPECT_EQ(f->SelStart(), c.start) << c.text;
        EXPECT_EQ((*f)["StatusBar"].Text, IntToStr(c.line) + "/" + IntToStr(c.column));
        if (!c.found) {
            ASSERT_EQ(HostLog().size(), 1u);
            EXPECT_EQ(HostLog()[0], std::string("Text ") + c.text + " Nenalezen !");
        }
    }
    // The find command asks for the text.
    host.PushText("a");
    (*f)["FindText"].Click();
    EXPECT_EQ(f->SelStart(), 19);
    Free(d);
    f->Close();
}

TEST_F(TextDevicesTest, AbortStopsTheInterpretThatHoldsTheDevice) {
    TMemoFormDevice* d = TMemoFormDevice::New();
    TStdtxtForm* f = d->Form();
    TUniversalInterpret* u = TUniversalInterpret::New();
    u->AddElement(d);
    d->WriteLine("x");
    (*f)["Abort"].Click();
    EXPECT_TRUE(u->GetBreak());
    ASSERT_GE(f->Lines().size(), 2u);
    EXPECT_EQ(f->Lines()[f->Lines().size() - 2], Cz("***** Přerušeno uživatelem !!!!!! *****"));
    EXPECT_EQ(f->Lines().back(), "  ");
    Free(u);
    f->Close();
}

// The user closes the window: refused while a job writes; afterwards the question, then the
// device is freed and its holder told while it still is that device.
TEST_F(TextDevicesTest, ClosingIsRefusedWhileBusyAndFreesTheDeviceAfterTellingItsHolder) {
    TDoneProbe* probe = TDoneProbe::New();
    world->SetMainTool(probe);
    TMemoFormDevice* d = TMemoFormDevice::New();
    TStdtxtForm* f = d->Form();
    size_t windows = OpenTextWindows().size();
    d->BeginOutput();
    d->WriteLine("half");
    EXPECT_FALSE(f->Close());
    EXPECT_TRUE(IsLive(d));
    d->EndOutput();
    host.PushResult(mrNo);  // not saved
    EXPECT_TRUE(f->Close());
    EXPECT_EQ(host.Records().back().caption, "TAnoNeDialog");
    EXPECT_FALSE(IsLive(d));
    ASSERT_EQ(probe->senders.size(), 1u);
    EXPECT_EQ(probe->senders[0], static_cast<TElement*>(d));
    EXPECT_TRUE(probe->senderLive[0]);
    Application().ProcessMessages();
    EXPECT_EQ(OpenTextWindows().size(), windows - 1);
}

TEST_F(TextDevicesTest, SavedTextKeepsThePendingLineAndRtfReadsBack) {
    TMemoFormDevice* d = TMemoFormDevice::New();
    TStdtxtForm* f = d->Form();
    d->WriteLine(Cz("Žluťoučký {kůň}"));
    d->WriteText("hal");
    std::string txt = dir + "/protokol.txt", rtf = dir + "/protokol.rtf";
    std::filesystem::remove(txt);
    std::filesystem::remove(dir + "/typed.RTF");
    std::filesystem::remove(dir + "/protokol.TXT");  // a name in another case would be taken
    // The save dialog: its title, and the default extension of the chosen file type.
    auto save = [&](const std::string& name, int type, int overwrite = mrNone) {
        host.PushAction([name, type] {
            TForm& dialog = *ActiveModalForm();
            EXPECT_EQ(dialog.Caption, Cz("Uložení protokolu do souboru"));
            if (type) dialog["FileType"].Select(type - 1);
            dialog["FileName"].Type(name);
            return mrOk;
        });
        if (overwrite) host.PushResult(overwrite);
        (*f)["Save"].Click();
    };
    save(txt, 0);
    EXPECT_FALSE(f->Modified());
    EXPECT_EQ(ReadBytes(txt), Cz("Žluťoučký {kůň}") + "\r\nhal\r\n");
    save(dir + "/typed", 2);
    EXPECT_EQ(ReadBytes(dir + "/typed.RTF").rfind("{\\rtf1", 0), 0u);
    // An existing file: the question in Czech; No keeps the file.
    ClearHostLog();
    WriteBytes(txt, "kept");
    save(txt, 1, mrNo);
    EXPECT_EQ(ReadBytes(txt), "kept");
    ASSERT_FALSE(HostLog().empty());
    EXPECT_EQ(HostLog().back(), txt + Cz(" již existuje.") + "\r" + Cz("Chcete jej nahradit?"));
    save(txt, 1, mrYes);
    EXPECT_EQ(ReadBytes(txt), Cz("Žluťoučký {kůň}") + "\r\nhal\r\n");
    // The font command opens the font dialog with the editor's font and applies the choice.
    host.PushAction([] {
        TForm& dialog = *ActiveModalForm();
        EXPECT_EQ(dialog["FontName"].Text, "Courier New");
        dialog["FontName"].Type("DejaVu Sans Mono");
        dialog["FontSize"].Value = 12;
        return mrOk;
    });
    (*f)["SetFont"].Click();
    EXPECT_EQ(f->FontName(), "DejaVu Sans Mono");
    EXPECT_EQ(f->FontSize(), 12);
    EXPECT_EQ((*f)["Abort"].Hint, Cz("Přerušit výpis"));
    d->WriteLine("f");
    EXPECT_EQ(f->Lines().back(), " ");
    EXPECT_EQ(f->Lines()[1], "half");

    ASSERT_TRUE(f->SaveToFile(rtf));
    EXPECT_EQ(ReadBytes(rtf).rfind("{\\rtf1", 0), 0u);
    std::vector<std::string> before = f->Lines();
    d->Clear();
    host.PushResult(mrNo);  // modified: not saved
    host.PushText(rtf);
    (*f)["Open"].Click();
    EXPECT_EQ(f->Lines(), before);
    EXPECT_FALSE(f->Modified());
    // A file that cannot be read keeps the text.
    ClearHostLog();
    EXPECT_FALSE(f->LoadFromFile(dir + "/nowhere/none.txt"));
    EXPECT_EQ(f->Lines(), before);
    EXPECT_EQ(HostLog().size(), 1u);
    Free(d);
    f->Close();
}

TEST_F(TextDevicesTest, ProtocolFileIsEmptiedWhenNamedAndTakesEachLineAsWritten) {
    std::string path = dir + "/protocol.txt", second = dir + "/second.txt";
    WriteBytes(path, "old protocol\r\n");
    std::filesystem::remove(second);
    TTextFileDevice* d = TTextFileDevice::New();
    d->WriteLine("dropped while closed");
    SetPropStringByName(d, "FileName", path);
    EXPECT_EQ(d->GetFileName(), path);
    EXPECT_EQ(ReadBytes(path), "");  // emptied at once
    d->WriteText("a");
    d->WriteText("b");
    EXPECT_EQ(ReadBytes(path), "ab");
    d->BeginOutput();  // keeps writing
    d->WriteLine(Cz("č"));
    d->WriteLine("");
    EXPECT_EQ(ReadBytes(path), "ab" + Cz("č") + "\r\n\r\n");
    d->SetFileName(second);  // closes the first
    EXPECT_EQ(ReadBytes(second), "");
    d->WriteLine("2");
    EXPECT_EQ(ReadBytes(second), "2\r\n");
    d->EndOutput();
    EXPECT_EQ(d->GetFileName(), "");
    d->WriteLine("after");
    EXPECT_EQ(ReadBytes(second), "2\r\n");
    EXPECT_EQ(ReadBytes(path), "ab" + Cz("č") + "\r\n\r\n");
    // A name that cannot be made: the input/output error names that file.
    std::string bad = dir + "/missing/folder/p.txt";
    try {
        d->SetFileName(bad);
        ADD_FAILURE() << "no error";
    } catch (EInOutError& e) {
        EXPECT_NE(e.Message().find("\"" + bad + "\""), std::string::npos) << e.Message();
    }
    EXPECT_FALSE(d->IsOpen());
    // A write the file does not take (the disk is full) is reported, never swallowed.
    d->SetFileName("/dev/full");
    EXPECT_THROW(d->WriteText("x"), EInOutError);
    EXPECT_THROW(d->WriteLine("line"), EInOutError);
    Free(d);
    // No temporary file is left beside them.
    int files = 0;
    for (auto& e : std::filesystem::directory_iterator(dir))
        if (e.path().filename().string().rfind("protocol.txt", 0) == 0 ||
            e.path().filename().string().rfind("second.txt", 0) == 0)
            ++files;
    EXPECT_EQ(files, 2);
}

// A model naming files, written and read back (whole and cut short): reading leaves every
// named file as it was; the protocol file is made only when output begins.
TEST_F(TextDevicesTest, ReadingAModelLeavesTheFilesItNamesAlone) {
    namespace fs = std::filesystem;
    const std::string victim = dir + "/victim.txt", model = dir + "/names.zrx", cut = dir + "/cut.zrx";
    TOwnerEntity* root = TOwnerEntity::New();
    TTextFileDevice* device = TTextFileDevice::New();
    root->AddElement(device);
    device->SetFileName(victim);
    device->CloseFile();
    device->SetFileName(victim);
    TFileElement* file = TFileElement::New();
    root->AddElement(file);
    file->SetFileName(victim);
    file->SetReadInfo(true);
    file->SetAttributes(faReadOnly);
    file->SetFileTime(EncodeDate(2001, 2, 3));
    TSave* save = TSave::New(model);
    save->SetInput(root);
    save->DoIt();
    Free(save);
    Free(root);
    std::string bytes = ReadBytes(model);
    WriteBytes(cut, bytes.substr(0, bytes.size() - 6));
    fs::permissions(victim, fs::perms::owner_read | fs::perms::owner_write);
    WriteBytes(victim, "precious\r\n");
    const auto time = fs::last_write_time(victim);

    for (const std::string& name : {cut, model}) {
        TLoad* load = TLoad::New(name);
        try {
            load->DoIt();
        } catch (Exception&) {
        }
        TElement* read = load->Output;
        Free(load);
        EXPECT_EQ(ReadBytes(victim), "precious\r\n") << name;
        EXPECT_EQ(fs::last_write_time(victim), time) << name;
        EXPECT_NE(fs::status(victim).permissions() & fs::perms::owner_write, fs::perms::none) << name;
        if (name == cut) {
            if (read) Free(read);
            continue;
        }
        auto* loaded = As<TOwnerEntity>(read);
        ASSERT_NE(loaded, nullptr);
        auto* d = As<TTextFileDevice>(loaded->FindElementClass(TTextFileDevice::StaticClass()));
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->GetFileName(), victim);  // kept, and written back with the model
        EXPECT_FALSE(d->IsOpen());
        d->WriteLine("dropped");
        EXPECT_EQ(ReadBytes(victim), "precious\r\n");
        // Output begins: the file is made anew and takes the lines.
        d->BeginOutput();
        d->WriteLine("run");
        d->EndOutput();
        EXPECT_EQ(ReadBytes(victim), "run\r\n");
        Free(loaded);
    }
    // Set by a script, the name empties its file at once.
    TTextFileDevice* scripted = TTextFileDevice::New();
    SetPropStringByName(scripted, "FileName", victim);
    EXPECT_EQ(ReadBytes(victim), "");
    Free(scripted);
    for (const std::string& name : {victim, model, cut}) fs::remove(name);
}

}  // namespace
}  // namespace sheets
