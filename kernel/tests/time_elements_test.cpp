#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "kernel/memory_elements.h"
#include "kernel/time_elements.h"
#include "kernel/property_access.h"
#include "platform/files.h"
#include "test_support.h"

namespace {

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::string IntervalAfter(const std::string& text) {
    Owned t(TTimeElement::New());
    SetPropStringByName(t, "Interval", text);
    return GetPropStringByName(t, "Interval");
}

// A time element whose reference time a test can place.
class TPlacedTimeElement : public TTimeElement {
    ZARIX_CLASS(TPlacedTimeElement, TTimeElement)

public:
    void PlaceReference(TDateTime t) { FReferenceTime = t; }
};

std::string LastPropName(TPersistent* obj) { return obj->ClassType()->Props.back().Name; }

}  // namespace

TEST(TimeInterval, TextForms) {
    EXPECT_EQ(IntervalAfter("1:2:3.45"), "1:2:3.45");  // milliseconds are a count
    EXPECT_EQ(IntervalAfter("1:2"), "0:1:2.0");        // one colon: minutes and seconds
    EXPECT_EQ(IntervalAfter("9:1:2:3.4"), "1:2:3.4");  // three colons drop the first part
    EXPECT_EQ(IntervalAfter("5"), "0:0:5.0");
    EXPECT_EQ(IntervalAfter("23:59:59.999"), "23:59:59.999");
    EXPECT_EQ(IntervalAfter("07:05:09.010"), "7:5:9.10");
}

TEST(TimeInterval, BadPartsStopTheReading) {
    EXPECT_EQ(IntervalAfter("1:x:3.4"), "1:0:0.0");
    EXPECT_EQ(IntervalAfter("1:2:y.4"), "1:2:0.0");
    EXPECT_EQ(IntervalAfter("1:2:3.z"), "1:2:3.0");
    EXPECT_EQ(IntervalAfter("1:2:"), "1:2:0.0");
    EXPECT_EQ(IntervalAfter(""), "0:0:0.0");
    // Values that form no time give 0.
    EXPECT_EQ(IntervalAfter("24:0:0"), "0:0:0.0");
    EXPECT_EQ(IntervalAfter("0:60:0"), "0:0:0.0");
    EXPECT_EQ(IntervalAfter("0:0:1.1000"), "0:0:0.0");
    EXPECT_EQ(IntervalAfter("-1:0:0"), "0:0:0.0");
}

TEST(TimeAlarm, SecondReadingWithinTheIntervalIsQuiet) {
    Owned t(TTimeElement::New());
    SetPropStringByName(t, "Interval", "0:0:30.0");
    t->GetAlarm();  // whatever happened before
    EXPECT_FALSE(t->GetAlarm());
    t->Reset();
    EXPECT_FALSE(t->GetAlarm());
    EXPECT_EQ(t->GetAlarmCount(), 0);
}

TEST(TimeAlarm, RingsAfterTheIntervalAndCountsFurtherSteps) {
    Owned t(TTimeElement::New());
    SetPropStringByName(t, "Interval", "0:0:0.20");
    SetPropStringByName(t, "MultiAlarm", "True");
    t->Reset();
    SleepMs(60);
    EXPECT_TRUE(t->GetAlarm());
    EXPECT_GE(t->GetAlarmCount(), 1);  // about three intervals passed: two more than this alarm
    EXPECT_FALSE(t->GetAlarm());
    EXPECT_EQ(GetPropStringByName(t, "AlarmCount"), std::to_string(t->GetAlarmCount()));
    t->Reset();
    EXPECT_EQ(t->GetAlarmCount(), 0);

    t->MultiAlarm = false;
    SleepMs(60);
    EXPECT_TRUE(t->GetAlarm());
    EXPECT_EQ(t->GetAlarmCount(), 0);
}

TEST(TimeAlarm, ZeroIntervalCountsOneStepPerAlarm) {
    Owned t(TTimeElement::New());
    t->MultiAlarm = true;
    t->Reset();
    SleepMs(3);
    EXPECT_TRUE(t->GetAlarm());
    EXPECT_EQ(t->GetAlarmCount(), 0);
    SleepMs(3);
    EXPECT_TRUE(t->GetAlarm());
    EXPECT_EQ(t->GetAlarmCount(), 0);
}

TEST(TimeAlarm, KeepsFullDateTimes) {
    Owned t(TTimeElement::New());
    TDateTime before = Now();
    t->Reset();
    // The date is kept with the time, so a reading after midnight still sees the time passed.
    EXPECT_GE(t->GetReferenceTime(), before);
    EXPECT_GE(t->GetStartTime(), Date());
    EXPECT_LE(t->GetReferenceTime(), Now());

    // A reference just before midnight of the day before is little more than the time of day ago.
    Owned p(TPlacedTimeElement::New());
    SetPropStringByName(p, "Interval", "0:0:0.50");
    p->PlaceReference(Date() - 1 + EncodeTime(23, 59, 59, 900));
    EXPECT_TRUE(p->GetAlarm());
}

TEST(TimeAlarm, AlarmIsReadByNameAndNeverStored) {
    Owned t(TTimeElement::New());
    SetPropStringByName(t, "Interval", "0:0:30.0");
    EXPECT_EQ(LastPropName(t), "Alarm");
    EXPECT_FALSE(Stored(t, "Alarm"));
    EXPECT_EQ(GetPropStringByName(t, "Alarm"), "True");  // never reset: long ago
    EXPECT_EQ(GetPropStringByName(t, "Alarm"), "False");

    Owned k(TTickElement::New());
    EXPECT_EQ(LastPropName(k), "Alarm");
    EXPECT_FALSE(Stored(k, "Alarm"));
    k->Pause = true;
    EXPECT_EQ(GetPropStringByName(k, "Alarm"), "False");
    k->Pause = false;
    k->Interval = -1;  // any time passed is more
    EXPECT_EQ(GetPropStringByName(k, "Alarm"), "True");
}

TEST(TickAlarm, PauseIsQuietAndKeepsTheReference) {
    Owned t(TTickElement::New());
    t->Reset();
    EXPECT_EQ(GetPropStringByName(t, "Pause"), "False");
    SetPropStringByName(t, "Interval", "1");
    SleepMs(5);
    t->Pause = true;
    EXPECT_FALSE(t->GetAlarm());
    SetPropStringByName(t, "Pause", "False");
    EXPECT_TRUE(t->GetAlarm());  // the paused reading did not move the reference
    t->Interval = 60000;
    EXPECT_FALSE(t->GetAlarm());
    t->Pause = true;
    t->Reset();
    EXPECT_FALSE(t->Pause);
}

TEST(Memory, FiguresAreReadAndNamed) {
    Owned m(TMemoryElement::New());
    EXPECT_EQ(m->GetName(), "Memory status");
    EXPECT_GT(m->Status().dwTotalPhys, 0u);
    EXPECT_EQ(GetPropStringByName(m, "TotalPhys"), std::to_string(static_cast<int32_t>(m->Status().dwTotalPhys)));
}

TEST(Memory, DerivedFiguresDoNotWrap) {
    Owned m(TMemoryElement::New());
    TMemoryStatus s{};
    s.dwMemoryLoad = 40;
    s.dwTotalPhys = 1000000;
    s.dwAvailPhys = 400000;
    s.dwTotalPageFile = 3000000;
    s.dwAvailPageFile = 2000000;
    m->SetStatus(s);
    EXPECT_EQ(m->GetAlocatedMemory(), 1600000u);
    EXPECT_EQ(m->GetAvailMemory(), 960000u);

    s.dwTotalPhys = 4294967295u;
    s.dwAvailPhys = 1000;
    s.dwTotalPageFile = 4294967295u;
    s.dwAvailPageFile = 1000;
    s.dwMemoryLoad = 99;
    m->SetStatus(s);
    EXPECT_EQ(m->GetAlocatedMemory(), 4294967295u);
    EXPECT_EQ(GetPropStringByName(m, "AlocatedMemory"), "-1");  // integer properties read signed
    EXPECT_EQ(m->GetAvailMemory(), (2 * (4294967295ull - 1000)) / 100 * 1);
    s.dwMemoryLoad = 10;
    m->SetStatus(s);
    EXPECT_EQ(m->GetAvailMemory(), 4294967295u);

    s.dwAvailPhys = 4294967295u;  // more available than in total: nothing used
    s.dwTotalPhys = 5;
    s.dwAvailPageFile = s.dwTotalPageFile;
    m->SetStatus(s);
    EXPECT_EQ(m->GetAlocatedMemory(), 0u);
    EXPECT_EQ(m->GetAvailMemory(), 0u);
}
