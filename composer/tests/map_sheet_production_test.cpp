#include "composer/map_sheet_production.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "composer/composer.h"
#include "composition/map_spaces.h"
#include "composition/pages.h"
#include "composition/text_blocks.h"
#include "composition/views.h"
#include "device/device.h"
#include "interpret/interpret.h"
#include "kernel/kernel.h"
#include "kernel/value_elements.h"
#include "pelvar/map_world.h"
#include "pelvar/pelvar.h"
#include "platform/controls.h"
#include "platform/files.h"
#include "platform/forms.h"
#include "platform/host.h"
#include "quintel/quintel.h"
#include "space/space.h"
#include "symbol/symbol.h"
#include "yesk/yesk.h"

namespace {

// Upper-cases the text of the text it is given.
class TUpperTextTool : public TTool {
    ZARIX_CLASS(TUpperTextTool, TTool)
public:
    void DoIt() override {
        if (auto* t = As<TText>(Input)) t->SetText(AnsiUpperCase(t->GetText()));
    }
};

// Keeps the data of the message 30 it is sent.
class TOpeningTool : public TTool {
    ZARIX_CLASS(TOpeningTool, TTool)
public:
    TElement* Opened = nullptr;
    void HandleMessage(TZarixMessage*& message, bool& handled) override {
        if (message->Message == 30) {
            Opened = message->Data;
            handled = true;
            return;
        }
        TTool::HandleMessage(message, handled);
    }
};

// Frees the page holding its input.
class TFreePageTool : public TTool {
    ZARIX_CLASS(TFreePageTool, TTool)
public:
    void DoIt() override {
        if (auto* e = As<TElement>(Input); e && e->GetOwnersCount() > 0) Free(e->GetOwnerEntity(0));
    }
};

const std::string kSamples = SUITE_SAMPLES_DIR;

class ProductionTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        RegisterComposerClasses();
        RegisterZarixClass<TUpperTextTool>();
        RegisterZarixClass<TOpeningTool>();
        RegisterZarixClass<TFreePageTool>();
    }
    void SetUp() override {
        SetUserHost(&host);
        ClearHostLog();
        SetDecimalSeparator('.');
        world = TWCSWorld::New();
        World = world;
        dir = std::filesystem::temp_directory_path() /
              ("msp_" + std::to_string(getpid()) + "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
    }
    void TearDown() override {
        Free(world);
        World = nullptr;
        SetUserHost(nullptr);
        std::filesystem::remove_all(dir);
    }
    std::string Script(std::initializer_list<std::string> lines) {
        std::string path = (dir / "content.msc").string();
        std::ofstream out(path, std::ios::binary);
        for (const std::string& l : lines) out << l << "\r\n";
        return path;
    }
    // A page with a text Title, a text Path and a text block Block.
    TDesktop* Page() {
        TDesktop* d = TDesktop::New();
        for (const char* name : {"Title", "Path"}) {
            TText* t = TText::New();
            t->SetName(name);
            d->AddElement(t);
        }
        TTextBlock* b = TTextBlock::New();
        b->SetName("Block");
        d->AddElement(b);
        return d;
    }
    TText* TextOf(TEntity* d, const std::string& name) { return As<TText>(d->FindElementName(name)); }
    void Run(TDesktop* d, const std::string& script) {
        TMSCInterpret* i = TMSCInterpret::New(script);
        i->SetInput(d);
        i->DoIt();
        EXPECT_EQ(i->Output, d);
        Free(i);
    }
    // Answers the text form: the second-column cell of each row set from the list, then the
    // button; what the grid showed is kept in shown.
    void AnswerTexts(std::vector<std::string> answers, const char* button = "OK") {
        host.PushAction([this, answers, button] {
            TForm& f = *ActiveModalForm();
            EXPECT_EQ(f.ClassName(), "Tf_AskForText");
            EXPECT_EQ(f.Caption, Cz("Nastavení proměnných textů"));
            TControl& grid = f["StringGrid1"];
            shown.clear();
            for (int r = 0; r < grid.RowCount && !grid.Cell(0, r).empty(); ++r)
                shown.push_back(grid.Cell(0, r) + "=" + grid.Cell(1, r));
            rows = grid.RowCount;
            for (size_t r = 0; r < answers.size(); ++r) grid.SetCell(1, static_cast<int>(r), answers[r]);
            f[button].Click();
            return f.ModalResult;
        });
    }
    std::string Box(int line, const std::string& text, const std::string& script) {
        return Cz("Čtení souboru ") + script + "\r" + Cz("Chyba na řádku ") + std::to_string(line) + ": " + text;
    }
    TSMO* SheetList() {
        TSMO* root = TSMO::New();
        root->ReadSheetList(kSamples + "/service/MAPLSMO.txt");
        return root;
    }
    // Runs the filler on the sample template with the sample data; the desktop is the caller's.
    TDesktop* Produce(TMapSheetFiller* filler, TElement* space, const std::string& name, bool graphics = true) {
        filler->SetInput(space);
        filler->SetInput(TStringElement::New("TEMPLATE", kSamples + "/templates/" + name));
        filler->SetInput(TStringElement::New("DATADIR", kSamples + "/data"));
        filler->FillGraphics = graphics;
        filler->DoIt();
        return As<TDesktop>(filler->Output);
    }

    ScriptedHost host;
    TWCSWorld* world = nullptr;
    std::filesystem::path dir;
    std::vector<std::string> shown;
    int rows = 0;
};

TEST_F(ProductionTest, ContentScriptLines) {
    struct Case {
        std::string line;
        std::string title;  // Title's text afterwards
        std::string path;   // Path's text afterwards
        std::string box;    // the message, "" for none
    };
    std::vector<Case> cases = {
        {"Title.Text='Ostrava'", "Ostrava", "", ""},
        {"title.text = ?:'Ostrava'", "?:Ostrava", "", ""},
        {"Title.Text=!:FINDELEMENTBYNAME(Path).Name", "Path", "", ""},
        {"Title.Text=?:!:FINDELEMENTBYNAME(Block).Name", "?:Block", "", ""},
        // text before a ":" that is no modifier is dropped, and the scan goes on
        {Cz("Title.Text=Měřítko 1:10 000"), "10 000", "", ""},
        {"Path.Text=C:\\data\\ostrava", "", "\\data\\ostrava", ""},
        {"Path.Text=LIST:x:y", "", "y", ""},
        {"Title.Text=x:?:'a.b'", "?:a.b", "", ""},
        {"Title.Unknown=5", "", "", ""},
        {"Nothing.Text=x", "", "", Cz("neznámý objekt (Nothing)")},
        {"TUpperTextTool=FINDELEMENTBYNAME(Title)", "", "", ""},
        {"TNoSuchTool=FINDELEMENTBYNAME(Title)", "", "", Cz("neznámá vlastnost (TNoSuchTool)")},
        {"TUpperTextTool=FINDELEMENTBYNAME(Nobody)", "", "", Cz("neznámý objekt (FINDELEMENTBYNAME(Nobody))")},
        {"Title.Text=!:LIST:ELEMENT.Name", "", "", ""},  // no string list: ignored
        {"Title.Nothing=!:LIST:ELEMENT.Name", "", "", ""},
        {"Title.Text=!:FINDELEMENTBYNAME(Path", "", "",
         Cz("Chyba syntaxe. .. na pozici 23 očekávám \")\"")},
        {"just words", "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        TDesktop* d = Page();
        std::string script = Script({c.line});
        ClearHostLog();
        Run(d, script);
        EXPECT_EQ(TextOf(d, "Title")->GetText(), c.title);
        EXPECT_EQ(TextOf(d, "Path")->GetText(), c.path);
        if (c.box.empty()) EXPECT_TRUE(HostLog().empty());
        else {
            // an unknown tool class has the registry's box before
            ASSERT_FALSE(HostLog().empty());
            EXPECT_EQ(HostLog().back(), Box(1, c.box, script));
        }
        Free(d);
    }
}

TEST_F(ProductionTest, ContentScriptOnTheDesktopAndLists) {
    TDesktop* d = Page();
    TextOf(d, "Title")->SetMaxX(0.25);
    std::string script = Script({"; comment", "MaxX=!:FINDELEMENTBYNAME(Title).MaxX", "Block.Lines=!:LIST:ELEMENT.Name",
                                 "Nothing.Text=x", "PenColor='255'"});
    Run(d, script);
    EXPECT_DOUBLE_EQ(d->GetMaxX(), 0.25);
    EXPECT_EQ(d->GetPenColor(), 255u);
    auto* block = As<TTextBlock>(d->FindElementName("Block"));
    ASSERT_EQ(block->GetLines()->Count(), 3);
    EXPECT_EQ((*block->GetLines())[0], "Title");
    EXPECT_EQ((*block->GetLines())[2], "Block");
    ASSERT_EQ(HostLog().size(), 1u);  // the remaining lines still ran
    EXPECT_EQ(HostLog()[0], Box(4, Cz("neznámý objekt (Nothing)"), script));
    Free(d);

    // an empty or missing script changes nothing
    ClearHostLog();
    d = Page();
    Run(d, Script({}));
    Run(d, (dir / "missing.msc").string());
    EXPECT_EQ(TextOf(d, "Title")->GetText(), "");
    EXPECT_TRUE(HostLog().empty());
    Free(d);
}

TEST_F(ProductionTest, VariableTextsAreAskedThroughTheForm) {
    TDesktop* d = Page();
    std::string script = Script({"Title.Text=?:'Ostrava'", "Path.Text=?:Opava", "querytextdlg"});
    AnswerTexts({Cz("Havířov")});
    Run(d, script);
    EXPECT_EQ(shown, (std::vector<std::string>{"Title=Ostrava", "Path=Opava"}));
    EXPECT_EQ(rows, 9);
    EXPECT_EQ(TextOf(d, "Title")->GetText(), Cz("Havířov"));
    EXPECT_EQ(TextOf(d, "Path")->GetText(), "Opava");
    EXPECT_EQ(d->ElementsCount(), 3);  // the texts stay the desktop's
    Free(d);

    // Storno keeps the texts without their "?:"; nothing to ask shows no form
    d = Page();
    host.ClearRecords();
    AnswerTexts({"x"}, "Storno");
    Run(d, Script({"Title.Text=?:'Ostrava'", "QUERYTEXTDLG", "QUERYTEXTDLG"}));
    EXPECT_EQ(TextOf(d, "Title")->GetText(), "Ostrava");
    EXPECT_EQ(host.Pending(), 0u);
    size_t forms = 0;
    for (const HostRecord& r : host.Records()) forms += r.kind == HostRecord::Modal;
    EXPECT_EQ(forms, 1u);
    Free(d);
}

TEST_F(ProductionTest, AToolThatFreesThePageEndsTheScript) {
    TDesktop* d = Page();
    TMSCInterpret* i = TMSCInterpret::New(Script({"TFreePageTool=FINDELEMENTBYNAME(Title)", "Title.Text=x"}));
    i->SetInput(d);
    i->DoIt();
    EXPECT_EQ(i->Output, nullptr);
    EXPECT_TRUE(HostLog().empty());
    Free(i);
}

TEST_F(ProductionTest, MoreTextsThanRowsGrowTheGrid) {
    TDesktop* d = TDesktop::New();
    for (int i = 0; i < 12; ++i) {
        TText* t = TText::New();
        t->SetName("T" + std::to_string(i));
        t->SetText("?:" + std::to_string(i));
        d->AddElement(t);
    }
    AnswerTexts({});
    Run(d, Script({"QUERYTEXTDLG"}));
    EXPECT_EQ(rows, 12);
    EXPECT_EQ(shown.size(), 12u);
    EXPECT_EQ(As<TText>(d->Get(11))->GetText(), "11");
    Free(d);
}

TEST_F(ProductionTest, SampleSheetsOfEachSeries) {
    TSMO* root = SheetList();
    const double x = -462500, y = -1105000;  // inside the sample data
    TSMO_50* s50 = FindSheetAt(root, x, y);
    ASSERT_NE(s50, nullptr);
    TSheetCell cell = SheetCellAt(s50, x, y);
    TSMO_25* s25 = s50->GetDetail25(cell.Col, cell.Row);
    TSMO_5* s5 = s50->GetDetail10(cell.Col, cell.Row)->GetDetail(cell.Col, cell.Row);

    struct Case {
        TMapSpace* space;
        std::string tmpl;
        std::string view;
        double scale;
        std::string title;
        std::string number;
    };
    std::vector<Case> cases = {
        {s50, "SMO50.MSD", "SMO10", 50000, s50->GetName(), s50->GetZkratka()},
        {s25, "SMO5.MSD", "SMO5", 25000, s25->GetFullName(), s25->GetName()},
        {s5, "SMO5.MSD", "SMO5", 5000, s5->GetFullName(), s5->GetName()},
    };
    // The bundled symbol tables read without a bad line and give every layer a symbol.
    TAreaSymbols* areas = TAreaSymbols::New();
    TLineSymbols* lines = TLineSymbols::New();
    TPointSymbols* points = TPointSymbols::New();
    areas->LoadFromFile(kSamples + "/service/Srafy.txt");
    lines->LoadFromFile(kSamples + "/service/linzn.txt");
    points->LoadFromFile(kSamples + "/service/Fonty.txt");
    for (TSymbolTable* t : {static_cast<TSymbolTable*>(areas), static_cast<TSymbolTable*>(lines),
                            static_cast<TSymbolTable*>(points)})
        EXPECT_TRUE(t->Messages().empty()) << t->Messages().front();
    auto hasSymbol = [&](const std::string& layer) {
        int32_t a = areas->LayerCode(layer), l = lines->LayerCode(layer), p = points->LayerCode(layer);
        return (a && areas->VratZnackuDleKodu(a)) || (l && lines->VratZnackuDleKodu(l)) ||
               (p && points->VratZnackuDleKodu(p));
    };
    TMapSheetFiller* filler = TMapSheetFiller::New();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.space->GetName());
        ClearHostLog();
        AnswerTexts({Cz("Jan Novák")});
        TDesktop* d = Produce(filler, c.space, c.tmpl);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->GetMapSpace(), c.space);
        TView* v = FindView(d, c.view);
        ASSERT_NE(v, nullptr);
        EXPECT_DOUBLE_EQ(v->GetModelCenterX(), c.space->GetCenterX());
        EXPECT_DOUBLE_EQ(v->GetModelCenterY(), c.space->GetCenterY());
        EXPECT_DOUBLE_EQ(v->GetScale(), c.scale);
        // layer lines with the data folder, data loaded
        TModelScript* script = v->GetModelScript();
        EXPECT_EQ(script->GetDataDirectory(), kSamples + "/data");
        ASSERT_EQ(script->Layers().size(), 9u);
        EXPECT_EQ(MapPath(script->LayerFile(script->Layers()[0])), MapPath(kSamples + "/data/ostravsko.gpkg"));
        auto* model = As<TEntity>(v->GetModel());
        ASSERT_NE(model, nullptr);
        EXPECT_EQ(model->ElementsCount(), 9);
        for (TLayerScript* layer : script->Layers()) {
            if (layer->GetName() == "MISTA") continue;  // the names, drawn as texts
            EXPECT_TRUE(hasSymbol(layer->GetName())) << layer->GetName();
        }
        // content script
        EXPECT_EQ(TextOf(d, "Title")->GetText(), c.title);
        EXPECT_EQ(TextOf(d, "Number")->GetText(), c.number);
        EXPECT_EQ(TextOf(d, "North")->GetText(), c.space->GetTopMSName());
        EXPECT_EQ(TextOf(d, "East")->GetText(), c.space->GetRightMSName());
        EXPECT_EQ(TextOf(d, "GridWest")->GetText(), FloatToStr(c.space->GetMinX()));
        EXPECT_EQ(TextOf(d, "GridNorth")->GetText(), FloatToStr(c.space->GetMaxY()));
        EXPECT_EQ(shown, (std::vector<std::string>{"Author=Zpracoval"}));
        EXPECT_EQ(TextOf(d, "Author")->GetText(), Cz("Jan Novák"));
        if (c.view == "SMO5") {
            TView* overview = FindView(d, "MAIN");  // its own scale, read later
            EXPECT_DOUBLE_EQ(overview->GetScale(), 1000000);
            EXPECT_EQ(overview->GetModel(), nullptr);
        } else {
            EXPECT_EQ(TextOf(d, "ScaleText")->GetText(), Cz("Měřítko 1:50 000"));
        }
        EXPECT_TRUE(HostLog().empty());
        Free(d);
    }
    EXPECT_EQ(filler->LastTemplate(), kSamples + "/templates/SMO5.MSD");
    Free(filler);
    Free(root);
    Free(areas);
    Free(lines);
    Free(points);
}

TEST_F(ProductionTest, UserMapSpacesAndMissingPieces) {
    TUserMapSpace* user = TUserMapSpace::New();
    user->SetName("Okoli");
    user->SetRect(-470000, -1110000, -460000, -1100000);
    user->SetScale(20000);
    TMapSheetFiller* filler = TMapSheetFiller::New();
    TDesktop* d = Produce(filler, user, "SMO5.MSD", false);
    ASSERT_NE(d, nullptr);
    TView* main = FindView(d, "MAIN");
    EXPECT_DOUBLE_EQ(main->GetModelCenterX(), -465000);
    EXPECT_DOUBLE_EQ(main->GetScale(), 1000000);  // a scale already set stays
    EXPECT_DOUBLE_EQ(FindView(d, "SMO5")->GetModelCenterX(), 0);
    EXPECT_EQ(TextOf(d, "Title")->GetText(), Cz("?:Název listu"));  // no graphics: no script
    Free(d);

    // no target view: the message, the page uncentred
    d = Produce(filler, user, "SMO50.MSD", false);
    ASSERT_NE(d, nullptr);
    ASSERT_EQ(HostLog().size(), 1u);
    EXPECT_EQ(HostLog()[0], Cz("Pro Okoli nebyl nalezen cílový pohled"));
    Free(d);

    // no template: no output, no message
    ClearHostLog();
    EXPECT_EQ(Produce(filler, nullptr, "NONE.MSD"), nullptr);
    EXPECT_EQ(filler->GetMapSpace(), nullptr);
    EXPECT_TRUE(HostLog().empty());
    Free(filler);
}

TEST_F(ProductionTest, MapCreatorAndTheMainToolEntry) {
    TUserMapSpace* user = TUserMapSpace::New();
    user->SetRect(-470000, -1110000, -460000, -1100000);
    auto* creator = As<TMapCreator>(CreateElementByName("MapCreator"));
    ASSERT_NE(creator, nullptr);
    EXPECT_TRUE(creator->FillGraphics);
    creator->SetMapSpace(user);
    EXPECT_EQ(creator->GetMapSpace(), user);
    creator->TemplateName = kSamples + "/templates/SMO5.MSD";
    creator->DataDirectory = kSamples + "/data";
    creator->FillGraphics = false;
    creator->DoIt();
    auto* d = As<TDesktop>(creator->Output);
    ASSERT_NE(d, nullptr);
    EXPECT_DOUBLE_EQ(FindView(d, "MAIN")->GetModelCenterY(), -1105000);
    Free(creator);
    Free(d);

    // without a map space the script's sheet lines fail one by one; the page is still opened
    world->HookApplication();
    TOpeningTool* main = TOpeningTool::New();
    TMapSheetFiller* filler = TMapSheetFiller::New();
    main->AddElement(filler);
    d = ProduceMapComposition(main, filler, nullptr, kSamples + "/templates/SMO50.MSD", kSamples + "/data");
    ASSERT_NE(d, nullptr);
    ASSERT_EQ(HostLog().size(), 10u);
    EXPECT_EQ(HostLog()[0], Box(2, Cz("Chyba ... nenalezl jsem objekt TMapSpace"),
                                kSamples + "/templates/SMO50.MSC"));
    Application().ProcessMessages();
    EXPECT_EQ(main->Opened, d);
    main->Opened = nullptr;
    EXPECT_EQ(ProduceMapComposition(main, filler, nullptr, (dir / "none.msd").string(), ""), nullptr);
    Application().ProcessMessages();
    EXPECT_EQ(main->Opened, nullptr);
    Free(main);
    Free(d);
}

}  // namespace
