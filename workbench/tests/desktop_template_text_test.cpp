#include "workbench/desktop_template_text.h"

#include <vector>

#include "composition/pages.h"
#include "composition/views.h"
#include "kernel/value_elements.h"
#include "templates_test_util.h"

namespace {
using tpltest::ReadFile;
using tpltest::TemplatesTest;

class DesktopTemplateTest : public TemplatesTest {
protected:
    void SetUp() override {
        TemplatesTest::SetUp();
        SetDecimalSeparator('.');
    }
    // Reads the template with the offsets; the desktop is the caller's.
    TDesktop* Read(const std::string& path, double dx = 0, double dy = 0) {
        auto* g = As<TMSTemplateGenerator>(CreateElementByName("TMSTemplateGenerator"));
        EXPECT_NE(g, nullptr);
        if (!g) return nullptr;
        g->SetTemplatePath(path);
        g->DeltaX = dx;
        g->DeltaY = dy;
        g->DoIt();
        TDesktop* d = As<TDesktop>(g->Output);
        Free(g);
        return d;
    }
    std::string Write(TDesktop* d, const std::string& name) {
        TDeskTopSaveToText* w = TDeskTopSaveToText::New();
        w->MSDFileName = Path(name);
        w->SetInput(d);
        w->DoIt();
        Free(w);
        return ReadFile(Path(name));
    }
};

// The example sheet: a page, a view with two layer lines and a parameter, a title.
std::vector<std::string> ExampleLines() {
    return {"[TDesktop]", "NAME=Listovka", "MinX=0", "MinY=0", "MaxX=0.297", "MaxY=0.21", "PenWidth=0",
            "PenColor=0", "PenStyle=psSolid", "BrushColor=16777215", "BrushStyle=bsSolid", "END", "",
            "[TView]", "NAME=SMO5", "MinX=0.02", "MinY=0.02", "MaxX=0.2", "MaxY=0.19", "PenWidth=0",
            "PenColor=12632256", "PenStyle=psDot", "BrushColor=16777215", "BrushStyle=bsClear",
            "ModelCenterX=0", "ModelCenterY=0", "Scale=5000", "Angle=0", "RotateCenterX=0",
            "RotateCenterY=0", "VirtualScale=0", "ControlViewName=", "ModelDeltaX=0", "ModelDeltaY=0",
            "ReadAfter=False", "ROADS=ostravsko.gpkg|roads", "@CONDITION=KIND='main'",
            "WATER=ostravsko.gpkg|water", "END", "",
            "[TText]", "NAME=Title", "MinX=0.02", "MinY=0.195", "MaxX=0.2", "MaxY=0.205",
            Cz("Text=?:Název mapy"), "FontName=Arial", "Color=255", "TextHeight=0.006", "FontStyle=1",
            "Charset=238", "Orientation=0", "END", "", "END", ""};
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string s;
    for (const std::string& l : lines) s += l + "\r\n";
    return s;
}

TEST_F(DesktopTemplateTest, ExampleReadsIntoTheTreeAndWritesBackByteForByte) {
    const std::string text = Joined(ExampleLines());
    tpltest::WriteFile(Path("example.msd"), text);
    TDesktop* d = Read(Path("example.msd"));
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->GetName(), "Listovka");
    EXPECT_DOUBLE_EQ(d->GetMaxX(), 0.297);
    EXPECT_EQ(d->GetBrushColor(), 0xFFFFFFu);
    ASSERT_EQ(d->ElementsCount(), 2);
    auto* v = As<TView>(d->Get(0));
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->GetName(), "SMO5");
    EXPECT_DOUBLE_EQ(v->GetMinY(), 0.02);
    EXPECT_DOUBLE_EQ(v->GetScale(), 5000);
    std::vector<TLayerScript*> layers = v->GetModelScript()->Layers();
    ASSERT_EQ(layers.size(), 2u);
    EXPECT_EQ(layers[0]->GetName(), "ROADS");
    EXPECT_EQ(layers[0]->GetValue(), "ostravsko.gpkg|roads");
    EXPECT_EQ(layers[0]->Parameter("@CONDITION"), "KIND='main'");
    EXPECT_EQ(layers[1]->GetName(), "WATER");
    auto* t = As<TText>(d->Get(1));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->GetName(), "Title");
    EXPECT_EQ(t->GetText(), Cz("?:Název mapy"));
    EXPECT_EQ(t->GetCharset(), 238);
    EXPECT_EQ(t->GetFontStyle(), 1);
    EXPECT_TRUE(HostLog().empty());

    EXPECT_EQ(Write(d, "back.msd"), text);
    Free(d);
}

// A layer line without a name reads as an unnamed layer and is written back as one.
TEST_F(DesktopTemplateTest, AnUnnamedLayerRoundTrips) {
    std::vector<std::string> lines = ExampleLines();
    for (std::string& l : lines)
        if (l.rfind("ROADS=", 0) == 0) l = l.substr(5);
    const std::string text = Joined(lines);
    tpltest::WriteFile(Path("unnamed.msd"), text);
    TDesktop* d = Read(Path("unnamed.msd"));
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(Write(d, "unnamed-back.msd"), text);
    Free(d);
    d = Read(Path("unnamed-back.msd"));
    ASSERT_NE(d, nullptr);
    std::vector<TLayerScript*> layers = As<TView>(d->Get(0))->GetModelScript()->Layers();
    ASSERT_EQ(layers.size(), 2u);
    EXPECT_FALSE(layers[0]->StoreName());
    EXPECT_EQ(layers[0]->GetValue(), "ostravsko.gpkg|roads");
    Free(d);
}

TEST_F(DesktopTemplateTest, WriterLayout) {
    struct Case {
        const char* what;
        std::function<TDesktop*()> make;
        std::vector<std::string> heads;  // the header, name and END lines in order
    };
    auto page = [](const char* name) {
        TDesktop* d = TDesktop::New();
        if (name) d->SetName(name);
        return d;
    };
    std::vector<Case> cases = {
        {"no children: one END", [&] { return page(nullptr); }, {"[TDesktop]", "END", ""}},
        {"a text named Title",
         [&] {
             TDesktop* d = page(nullptr);
             TText* t = TText::New();
             t->SetName("Title");
             d->AddElement(t);
             return d;
         },
         {"[TDesktop]", "END", "", "[TText]", "NAME=Title", "END", "", "END", ""}},
        {"a name equal to the class name gets no name line",
         [&] {
             TDesktop* d = page("TDesktop");
             d->AddElement(TText::New());
             return d;
         },
         {"[TDesktop]", "END", "", "[TText]", "END", "", "END", ""}},
        {"other classes are neither written nor entered",
         [&] {
             TDesktop* d = page(nullptr);
             TRectEntity* other = TRectEntity::New();
             other->AddElement(TText::New());
             d->AddElement(other);
             d->AddElement(TStringElement::New("X", "y"));
             return d;
         },
         {"[TDesktop]", "END", ""}},
        {"a desktop as first child: the outer header is closed before the first child that is none",
         [&] {
             TDesktop* d = page("Outer");
             TDesktop* inner = page("Inner");
             inner->AddElement(TDrawRectangle::New());
             d->AddElement(inner);
             return d;
         },
         {"[TDesktop]", "NAME=Outer", "[TDesktop]", "NAME=Inner", "END", "", "[TDrawRectangle]", "END", "", "END",
          "", "END", ""}},
        {"only the outer header is closed before a child",
         [&] {
             TDesktop* d = page("Outer");
             d->AddElement(TText::New());
             TDesktop* inner = page("Inner");
             inner->AddElement(TDrawRectangle::New());
             d->AddElement(inner);
             return d;
         },
         {"[TDesktop]", "NAME=Outer", "END", "", "[TText]", "END", "", "[TDesktop]", "NAME=Inner",
          "[TDrawRectangle]", "END", "", "END", "", "END", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TDesktop* d = c.make();
        TStringList lines;
        lines.SetText(Write(d, "w.msd"));
        Free(d);
        std::vector<std::string> heads;
        for (int i = 0; i < lines.Count(); ++i) {
            const std::string& l = lines[i];
            if (l.empty() || l[0] == '[' || l == "END" || l.rfind("NAME=", 0) == 0) heads.push_back(l);
        }
        EXPECT_EQ(heads, c.heads);
    }
}

TEST_F(DesktopTemplateTest, WriterSkipsObjectAndMethodPropertiesAndBookkeeping) {
    TDesktop* d = TDesktop::New();
    TView* v = TView::New();
    v->SetModel(TRectEntity::New());
    d->AddElement(v);
    std::string text = Write(d, "w.msd");
    for (const char* key : {"\r\nModel=", "ModelScript=", "ID=", "Count=", "OwnersCount=", "WholeSize=",
                            "ReadModel=", "\r\nWidth=", "RefX="})
        EXPECT_EQ(text.find(key), std::string::npos) << key;
    Free(d);

    // Nothing without a desktop or a file name.
    TDeskTopSaveToText* w = TDeskTopSaveToText::New();
    TText* t = TText::New();
    w->MSDFileName = Path("none.msd");
    w->SetInput(t);
    w->DoIt();
    EXPECT_FALSE(std::filesystem::exists(Path("none.msd")));
    Free(t);
    Free(w);
}

TEST_F(DesktopTemplateTest, ReaderEdgeCases) {
    std::string longText(300, 'x');
    std::string path = Lines("edge.msd", {"Text=before any section", "[TText]", "NAME=Dropped", "END", "[TDesktop]",
                                          "NAME=Page", "MaxX=0,5", "END", "", "[TText]", "NAME=Long",
                                          "Text=" + longText, "END", "[TDesktop]", "NAME=Second", "END", "END"});
    TDesktop* d = Read(path);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->GetName(), "Page");
    EXPECT_DOUBLE_EQ(d->GetMaxX(), 0.5);  // "," read as well
    ASSERT_EQ(d->ElementsCount(), 2);
    EXPECT_EQ(As<TText>(d->Get(0))->GetText(), longText.substr(0, 250));
    EXPECT_TRUE(d->Get(1)->Is<TDesktop>());
    EXPECT_EQ(d->Get(1)->GetName(), "Second");
    EXPECT_TRUE(HostLog().empty());
    Free(d);

    EXPECT_EQ(Read(Path("missing.msd")), nullptr);
    EXPECT_EQ(Read(Lines("empty.msd", {})), nullptr);
    EXPECT_EQ(Read(Lines("nodesk.msd", {"[TText]", "END"})), nullptr);
    EXPECT_TRUE(HostLog().empty());
}

TEST_F(DesktopTemplateTest, ReaderMovesByTheOffsetAndFreesWhatItCannotPlace) {
    std::string path = Lines("off.msd", {"[TDesktop]", "MinX=0", "MinY=0", "MaxX=1", "MaxY=1", "END", "[TView]",
                                         "MinX=1", "MinY=1", "MaxX=2", "MaxY=2", "ROADS=roads.gpkg", "END",
                                         "[TStringElement]", "NAME=Loose", "END", "[TDrawRectangle]", "MinX=3",
                                         "BrushStyle=bsSolid", "END", "END"});
    TDesktop* d = Read(path, 10, -5);
    ASSERT_NE(d, nullptr);
    EXPECT_DOUBLE_EQ(d->GetMinX(), 10);
    EXPECT_DOUBLE_EQ(d->GetMaxY(), -4);
    ASSERT_EQ(d->ElementsCount(), 2);  // the string element is not placed (and not leaked)
    auto* v = As<TView>(d->Get(0));
    ASSERT_NE(v, nullptr);
    EXPECT_DOUBLE_EQ(v->GetMinX(), 11);
    EXPECT_DOUBLE_EQ(v->GetMinY(), -4);
    ASSERT_EQ(v->GetModelScript()->Layers().size(), 1u);
    EXPECT_EQ(v->GetModelScript()->Layers()[0]->GetName(), "ROADS");
    EXPECT_DOUBLE_EQ(As<TRectEntity>(d->Get(1))->GetMinX(), 13);
    Free(d);
}

TEST_F(DesktopTemplateTest, ErrorBoxes) {
    struct Case {
        std::vector<std::string> section;
        std::string box;
    };
    std::vector<Case> cases = {
        {{"[NoSuchThing]", "END"}, Cz("Neregistrovaný element: TNOSUCHTHING")},
        {{"[TText]", "Colour=5", "END"}, Cz("TText: Neregistrovaná vlastnost COLOUR")},
        {{"[TText]", "FontStyle=bold", "END"}, Cz("TText: Chyba nastavení") + "\r" + "FONTSTYLE <- bold"},
        {{"[TView]", "PenStyle=psWavy", "END"}, Cz("TView: Chyba nastavení") + "\r" + "PENSTYLE <- psWavy"},
        // object and write-only properties are not set from text
        {{"[TView]", "Model=140000000", "END"}, Cz("TView: Chyba nastavení") + "\r" + "MODEL <- 140000000"},
        {{"[TView]", "ReadModel=True", "END"}, Cz("TView: Chyba nastavení") + "\r" + "READMODEL <- True"},
        {{"[TDesktop]", "NextElement=0", "END"}, Cz("TDesktop: Chyba nastavení") + "\r" + "NEXTELEMENT <- 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.box);
        std::vector<std::string> lines = {"[TDesktop]", "END"};
        lines.insert(lines.end(), c.section.begin(), c.section.end());
        std::string text;
        for (const std::string& l : lines) text += l + "\r\n";
        tpltest::WriteFile(Path("err.msd"), text);
        ClearHostLog();
        host.ClearRecords();
        TDesktop* d = Read(Path("err.msd"));
        ASSERT_NE(d, nullptr);
        ASSERT_EQ(HostLog().size(), 1u);
        EXPECT_EQ(HostLog()[0], c.box);
        ASSERT_EQ(host.Records().size(), 1u);
        EXPECT_EQ(host.Records()[0].buttons, TMsgDlgButtons(mbOK));
        Free(d);
    }
}

bool FileIsReadOnly(const std::string& path) {
    auto perms = std::filesystem::status(path).permissions();
    return (perms & std::filesystem::perms::owner_write) == std::filesystem::perms::none;
}

TEST_F(DesktopTemplateTest, NestedTemplatesWithOffsetsAndSelfInclusion) {
    Lines("inner.msd", {"[TDesktop]", "NAME=Inner", "MinX=1", "MaxX=2", "END", "[TText]", "NAME=T", "MinX=1", "END",
                        "END"});
    Lines("loop.msd", {"[TDesktop]", "NAME=Loop", "END", "[TDeskTopFile]", "FileName=loop.msd", "END", "[TText]",
                       "NAME=After", "END"});
    Lines("a.msd", {"[TDesktop]", "NAME=A", "END", "[TDeskTopFile]", "FileName=b.msd", "END"});
    Lines("b.msd", {"[TDesktop]", "NAME=B", "END", "[TDeskTopFile]", "FileName=a.msd", "END"});
    tpltest::WriteFile(Path("keep.msd"), "");
    // Nested file names are used as given: relative to the current folder, not the template's.
    std::filesystem::create_directory(Path("sub"));
    Lines("sub/inner.msd", {"[TDesktop]", "NAME=Wrong", "END"});
    std::string outer = Lines("sub/outer.msd", {"[TDesktop]", "NAME=Outer", "END", "[TDeskTopFile]", "NAME=renamed.msd",
                                                "FileName=inner.msd", "DeltaX=100", "DeltaY=200", "END",
                                                "[TDeskTopFile]", "FileName=keep.msd", "AttrReadOnly=True",
                                                "NAME=gone.msd", "FileExt=x", "END",
                                                "[TDeskTopFile]", "FileName=missing.msd", "END"});
    std::string savedCwd = std::filesystem::current_path().string();
    std::filesystem::current_path(dir);
    struct Back {
        std::string cwd;
        ~Back() { std::filesystem::current_path(cwd); }
    } back{savedCwd};
    TDesktop* d = Read(outer, 5, 5);
    ASSERT_NE(d, nullptr);
    // the nested page with its own offsets only; missing and empty files add nothing
    ASSERT_EQ(d->ElementsCount(), 1);
    auto* inner = As<TDesktop>(d->Get(0));
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->GetName(), "Inner");
    EXPECT_DOUBLE_EQ(inner->GetMinX(), 101);
    EXPECT_DOUBLE_EQ(inner->GetMinY(), 200);
    EXPECT_DOUBLE_EQ(As<TText>(inner->Get(0))->GetMinX(), 101);
    // the section's keys apply, but none that would rename, date or lock a file
    EXPECT_FALSE(FileIsReadOnly(Path("keep.msd")));
    EXPECT_TRUE(std::filesystem::exists(Path("keep.msd")));
    EXPECT_TRUE(std::filesystem::exists(Path("inner.msd")));
    EXPECT_FALSE(std::filesystem::exists(Path("renamed.msd")));
    EXPECT_FALSE(std::filesystem::exists(Path("gone.msd")));
    EXPECT_TRUE(HostLog().empty());
    Free(d);

    d = Read(Path("loop.msd"));
    ASSERT_NE(d, nullptr);
    ASSERT_EQ(HostLog().size(), 1u);
    EXPECT_EQ(HostLog()[0], Cz("Chyba v načítání elementu TDESKTOPFILE"));
    ASSERT_EQ(d->ElementsCount(), 1);  // nothing added for the refused file
    EXPECT_EQ(d->Get(0)->GetName(), "After");
    Free(d);

    ClearHostLog();
    d = Read(Path("a.msd"));
    ASSERT_NE(d, nullptr);
    ASSERT_EQ(d->ElementsCount(), 1);  // B, without A again inside it
    EXPECT_EQ(d->Get(0)->GetName(), "B");
    EXPECT_EQ(As<TEntity>(d->Get(0))->ElementsCount(), 0);
    EXPECT_EQ(HostLog().size(), 1u);
    Free(d);
}

// The outer header stays open before a first child desktop: reading back, the outer
// desktop's lines run on into the inner one's.
TEST_F(DesktopTemplateTest, ADesktopAsFirstChildIsReadIntoTheOuterOne) {
    TDesktop* d = TDesktop::New();
    d->SetName("Outer");
    d->SetRect(0, 0, 1, 1);
    TDesktop* inner = TDesktop::New();
    inner->SetName("Inner");
    inner->SetRect(5, 5, 6, 6);
    d->AddElement(inner);
    Write(d, "nest.msd");
    Free(d);
    d = Read(Path("nest.msd"));
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->GetName(), "Inner");
    EXPECT_DOUBLE_EQ(d->GetMaxX(), 6);
    EXPECT_EQ(d->ElementsCount(), 0);
    Free(d);
}

}  // namespace
