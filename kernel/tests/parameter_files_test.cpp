#include <gtest/gtest.h>

#include <fstream>

#include "kernel/parameter_files.h"
#include "kernel/real_ini_file.h"
#include "platform/files.h"
#include "platform/sysutils.h"
#include "test_support.h"

namespace {

class CtiparTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(dir_.empty()); }

    std::string Write(const std::string& name, const std::string& bytes) {
        std::string path = dir_ + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    struct Line {
        bool param, section, last;
        std::string name, value;
    };
    static Line Next(TCteniParametru& r) {
        Line l{};
        r.DejRadek(l.param, l.section, l.last, l.name, l.value);
        return l;
    }

    TempDir tmp_{"ctipar_test"};
    const std::string& dir_ = tmp_.Path();
};

// ---- parameter files ---------------------------------------------------------------

TEST_F(CtiparTest, ParameterFileWithSectionsCommentsAndIndexes) {
    std::string path = Write("a.msd",
                             "; comment\r\n"
                             "[ Desktop ]\r\n"
                             "  Width =  21.5 \r\n"
                             "no equals sign\r\n"
                             "\r\n"
                             "[View[2]]\r\n"
                             "Name=a=b\r\n");
    bool ok = false;
    TCteniParametru r(path, ok);
    ASSERT_TRUE(ok);
    Line l = Next(r);  // comment
    EXPECT_FALSE(l.param || l.section || l.last);
    l = Next(r);
    EXPECT_TRUE(l.section);
    EXPECT_EQ(l.value, "DESKTOP");
    l = Next(r);
    EXPECT_TRUE(l.param);
    EXPECT_EQ(l.name, "WIDTH");
    EXPECT_EQ(l.value, "21.5");
    EXPECT_DOUBLE_EQ(r.DejRealParametr(), 21.5);
    EXPECT_FALSE(r.BylaChybaParametru());
    l = Next(r);  // a line without "=" returns nothing
    EXPECT_FALSE(l.param || l.section);
    EXPECT_EQ(l.name, "");
    EXPECT_EQ(r.LastValue(), "21.5");
    Next(r);      // empty line
    l = Next(r);
    EXPECT_TRUE(l.section);
    EXPECT_EQ(l.value, "VIEW[2]");
    l = Next(r);
    EXPECT_TRUE(l.last);
    EXPECT_EQ(l.name, "NAME");
    EXPECT_EQ(l.value, "a=b");
    EXPECT_EQ(r.PocetVolani(), 7);
    l = Next(r);  // past the end: the last line again, and still the last
    EXPECT_TRUE(l.last);
    EXPECT_TRUE(l.param);
    EXPECT_EQ(l.name, "NAME");
    EXPECT_EQ(l.value, "a=b");
}

TEST_F(CtiparTest, ParameterFileLineEndsAndLastLine) {
    for (const char* text : {"A=1\r\nB=2\r\nC=3", "A=1\nB=2\nC=3\n", "A=1\rB=2\rC=3\r"}) {
        bool ok = false;
        TCteniParametru r(Write("ends.txt", text), ok);
        ASSERT_TRUE(ok);
        std::string names;
        Line l;
        do {
            l = Next(r);
            names += l.name + l.value;
        } while (!l.last);
        EXPECT_EQ(names, "A1B2C3") << text;
    }
    bool ok = false;
    TCteniParametru one(Write("one.txt", "Key=v"), ok);
    ASSERT_TRUE(ok);
    Line l = Next(one);
    EXPECT_TRUE(l.last);
    EXPECT_EQ(l.value, "v");
}

TEST_F(CtiparTest, ParameterValueCutAt250) {
    std::string value(300, 'x');
    bool ok = false;
    TCteniParametru r(Write("long.txt", "K=" + value + "\r\n"), ok);
    Line l = Next(r);
    EXPECT_EQ(l.value, std::string(250, 'x'));
    // Blanks after "=" count towards the 250 before the value is trimmed.
    TCteniParametru r2(Write("long2.txt", "K=   " + value), ok);
    EXPECT_EQ(Next(r2).value, std::string(247, 'x'));
    // Section names are cut the same way.
    TCteniParametru r3(Write("long3.txt", "[" + value + "]"), ok);
    Line section = Next(r3);
    EXPECT_TRUE(section.section);
    EXPECT_EQ(section.value, std::string(250, 'X'));
}

TEST_F(CtiparTest, ParameterFileThatDoesNotOpen) {
    bool ok = true;
    TCteniParametru none(dir_ + "/missing.txt", ok);
    EXPECT_FALSE(ok);
    EXPECT_FALSE(none.Otevreno());
    Line l = Next(none);
    EXPECT_TRUE(l.last);  // a loop until the last line ends
    EXPECT_FALSE(l.param || l.section);

    TCteniParametru empty(Write("empty.txt", ""), ok);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(Next(empty).last);

    TCteniParametru noName("", ok);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(noName.BylaChybaParametru());
}

TEST_F(CtiparTest, ParameterConversions) {
    bool ok = false;
    TCteniParametru r(Write("n.txt", "A= -12 \r\nB=Ano\r\nC=xyz\r\nD=\r\nE=y\r\nF=1.25\r\n"), ok);
    ASSERT_TRUE(ok);
    Next(r);
    EXPECT_EQ(r.DejLongIntParametr(), -12);
    EXPECT_FALSE(r.BylaChybaParametru());
    Next(r);
    EXPECT_TRUE(r.DejBooleanParametr());
    Next(r);
    EXPECT_FALSE(r.DejBooleanParametr());
    EXPECT_EQ(r.DejLongIntParametr(), 0);
    EXPECT_TRUE(r.BylaChybaParametru());
    Next(r);
    EXPECT_FALSE(r.DejBooleanParametr());
    Next(r);
    EXPECT_TRUE(r.DejBooleanParametr());
    Next(r);
    EXPECT_DOUBLE_EQ(r.DejExtendedParametr(), 1.25);
    EXPECT_FALSE(r.BylaChybaParametru());
}

// ---- definition files ----------------------------------------------------------------

TEST_F(CtiparTest, DefinitionFileLineEnds) {
    bool ok = false;
    TCtiDefInfa r(Write("d.def", "one\r\ntwo\rthree\nstill three\r\n"), ok);
    ASSERT_TRUE(ok);
    std::string lines;
    bool key, last;
    std::string text;
    do {
        r.DejRadek(key, last, text);
        lines += text + "|";
    } while (!last);
    EXPECT_EQ(lines, "one|two|threestill three|");

    TCtiDefInfa lf(Write("lf.def", "a\nb\nc\n"), ok);
    ASSERT_TRUE(ok);
    lf.DejRadek(key, last, text);
    EXPECT_EQ(text, "abc");
    EXPECT_TRUE(last);
}

TEST_F(CtiparTest, DefinitionFileKeysCommentsAndPosition) {
    std::string longLine(300, 'z');
    bool ok = false;
    TCtiDefInfa r(Write("k.def", "[ layer Roads ]\r\n; note\r\n" + longLine + "\r\nend\r\n"), ok);
    ASSERT_TRUE(ok);
    bool key, last;
    std::string text;
    r.DejRadek(key, last, text);
    EXPECT_TRUE(key);
    EXPECT_EQ(r.Klic(), "LAYER");
    EXPECT_EQ(text, "Roads");
    int64_t afterKey = r.Pozice();  // the comment line starts here, read ahead
    r.DejRadek(key, last, text);
    EXPECT_FALSE(key);
    EXPECT_EQ(text, "");
    EXPECT_EQ(r.Klic(), "");
    r.DejRadek(key, last, text);
    EXPECT_EQ(text, std::string(255, 'z'));
    r.DejRadek(key, last, text);
    EXPECT_EQ(text, "end");
    EXPECT_TRUE(last);
    r.DejRadek(key, last, text);  // past the end: the last line again
    EXPECT_EQ(text, "end");
    EXPECT_TRUE(last);

    r.NastavPozici(afterKey);
    r.NactiRadek();
    EXPECT_EQ(r.Radek(), std::string(300, 'z'));
    // Beyond the end, however far, reads as the end.
    for (int64_t far : {int64_t{100000}, int64_t{1} << 62, INT64_MAX}) {
        r.NastavPozici(far);
        r.NactiRadek();
        EXPECT_EQ(r.Radek(), "") << far;
        r.DejRadek(key, last, text);
        EXPECT_TRUE(last) << far;
    }

    TCtiDefInfa missing(dir_ + "/nothing.def", ok);
    EXPECT_FALSE(ok);
    missing.DejRadek(key, last, text);
    EXPECT_TRUE(last);
}

// ---- ini files -----------------------------------------------------------------------

TEST_F(CtiparTest, ReadAndWriteDouble) {
    std::string path = Write("r.ini", "[S]\r\nA=2,5\r\nB=abc\r\nC=\r\nD=1.5e3\r\nE=1,5,3\r\n");
    TRealIniFile ini(path);
    EXPECT_DOUBLE_EQ(ini.ReadDouble("S", "A", 9), 2.5);
    EXPECT_DOUBLE_EQ(ini.ReadDouble("S", "B", 9), 9);
    EXPECT_DOUBLE_EQ(ini.ReadDouble("S", "C", 9), 9);
    EXPECT_DOUBLE_EQ(ini.ReadDouble("S", "D", 9), 1500);
    EXPECT_DOUBLE_EQ(ini.ReadDouble("S", "E", 9), 9);
    EXPECT_DOUBLE_EQ(ini.ReadDouble("S", "missing", 9), 9);

    {
        SeparatorScope comma(',');
        ini.WriteDouble("S", "W", 0.25);
    }
    EXPECT_EQ(ini.ReadString("S", "W", ""), "0,25");
    EXPECT_DOUBLE_EQ(ini.ReadDouble("S", "W", 0), 0.25);
}

TEST_F(CtiparTest, WriteSectionReplacesTheSection) {
    std::string path = Write("s.ini", "[Keep]\r\nx=1\r\n[Opt]\r\nold=1\r\n");
    TRealIniFile ini(path);
    TStringList list;
    list.Add("a = b");
    list.Add("  bare ");
    list.Add("c=d=e");
    ini.WriteSection("Opt", list);
    EXPECT_EQ(ini.ReadString("Opt", "a", "?"), "b");
    EXPECT_TRUE(ini.ValueExists("Opt", "bare"));
    EXPECT_EQ(ini.ReadString("Opt", "bare", "?"), "");
    EXPECT_EQ(ini.ReadString("Opt", "c", "?"), "d=e");
    EXPECT_FALSE(ini.ValueExists("Opt", "old"));
    EXPECT_EQ(ini.ReadString("Keep", "x", "?"), "1");
    EXPECT_NE(ReadFile(path).find("a=b\r\n"), std::string::npos);
}

TEST_F(CtiparTest, WriteSectionRefusesNamesThatWouldNotReadBack) {
    const std::string before = "[Keep]\r\nx=1\r\n[Opt]\r\nold=1\r\n";
    for (const char* bad : {"[T]=1", ";c=2", "\x01\x02=3", "[x"}) {
        std::string path = Write("bad.ini", before);
        TRealIniFile ini(path);
        TStringList list;
        list.Add("a=b");
        list.Add(bad);
        EXPECT_THROW(ini.WriteSection("Opt", list), EIniFileException) << bad;
        EXPECT_EQ(ReadFile(path), before) << bad;
    }
}

TEST_F(CtiparTest, WriteSectionRefusesANameItCannotWriteBeforeErasing) {
    const std::string before = "[\x01]\r\nx=1\r\n";  // the section a blank name folds to
    std::string path = Write("t.ini", before);
    TRealIniFile ini(path);
    TStringList list;
    list.Add("a=b");
    EXPECT_THROW(ini.WriteSection("\n", list), EIniFileException);
    EXPECT_EQ(ReadFile(path), before);
}

TEST_F(CtiparTest, ModuleIniFileName) {
    std::string old = ExecutablePath();
    SetExecutablePath("/opt/suite/Oskelt32.exe");
    EXPECT_EQ(GetModulIniFile(), "/opt/suite/Oskelt32.INI");
    SetExecutablePath("/opt/suite/Tarvine32");
    EXPECT_EQ(GetModulIniFile(), "/opt/suite/Tarvine32.INI");
    SetExecutablePath(old);
}

}  // namespace
