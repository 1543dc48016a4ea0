// Alarms for long work: a tick-count alarm and a clock-time alarm that counts the
// intervals that passed between readings.
#pragma once
#include <cstdint>
#include <string>

#include "kernel/elements.h"
#include "platform/files.h"

// Rings when more than Interval milliseconds passed since the last alarm.
class TTickElement : public TOwnerElement {
    ZARIX_CLASS(TTickElement, TOwnerElement)
    static void Publish(PropertyTable& t);

public:
    void Reset();
    // False while paused; otherwise whether the interval has passed since the last alarm,
    // which then becomes now. Survives the wrap of the tick count.
    bool GetAlarm();

    int32_t Interval = 0;
    bool Pause = false;

private:
    uint32_t FLastAlarm = 0;
    uint32_t FResetTick = 0;
};

// Rings when more than Interval passed since the previous reading; with MultiAlarm it also
// counts the further intervals that passed in AlarmCount.
class TTimeElement : public TOwnerElement {
    ZARIX_CLASS(TTimeElement, TOwnerElement)
    static void Publish(PropertyTable& t);

public:
    void Reset();
    bool GetAlarm();

    // "h:m:s.ms", decimal numbers without leading zeros; ms is a count of milliseconds.
    std::string GetIntervalText();
    // The last two parts before the final one are hours and minutes, the final one is
    // seconds "." milliseconds. A part that is no integer ends the reading, leaving it and
    // the rest 0; values that form no time give 0.
    void SetIntervalText(const std::string& text);

    TDateTime Interval = 0;  // a time of day used as a duration
    int32_t GetAlarmCount() const { return FAlarmCount; }
    bool MultiAlarm = false;
    TDateTime GetStartTime() const { return FStartTime; }
    TDateTime GetReferenceTime() const { return FReferenceTime; }

protected:
    TDateTime FStartTime = 0;      // full date-times
    TDateTime FReferenceTime = 0;
    int32_t FAlarmCount = 0;
};

// Registers the clock-time alarm.
void RegisterETimeUnit();
