#include "kernel/time_elements.h"

#include <climits>
#include <vector>

#include "kernel/class_registry.h"
#include "platform/sysutils.h"
#include "platform/windows.h"

// ---- TTickElement ------------------------------------------------------------------------

void TTickElement::Publish(PropertyTable& t) {
    using C = TTickElement;
    t.Int<C>("Interval", [](C* c) { return c->Interval; }, [](C* c, int32_t v) { c->Interval = v; });
    t.Bool<C>("Pause", [](C* c) { return c->Pause; }, [](C* c, bool v) { c->Pause = v; });
    // Reading it uses up an alarm: never read for saving.
    t.Bool<C>("Alarm", &C::GetAlarm, nullptr).Stored(false);
}

void TTickElement::Reset() {
    FLastAlarm = FResetTick = GetTickCount();
    Pause = false;
}

bool TTickElement::GetAlarm() {
    if (Pause) return false;
    uint32_t now = GetTickCount();
    // The distance in unsigned arithmetic stays right when the tick count wraps.
    if (static_cast<int64_t>(static_cast<uint32_t>(now - FLastAlarm)) <= Interval) return false;
    FLastAlarm = now;
    return true;
}

// ---- TTimeElement ------------------------------------------------------------------------

void TTimeElement::Publish(PropertyTable& t) {
    using C = TTimeElement;
    t.Str<C>("Interval", &C::GetIntervalText, &C::SetIntervalText);
    t.Int<C>("AlarmCount", &C::GetAlarmCount, nullptr);
    t.Bool<C>("MultiAlarm", [](C* c) { return c->MultiAlarm; }, [](C* c, bool v) { c->MultiAlarm = v; });
    t.Bool<C>("Alarm", &C::GetAlarm, nullptr).Stored(false);  // reading it uses up an alarm
}

void TTimeElement::Reset() {
    FStartTime = FReferenceTime = Now();
    FAlarmCount = 0;
}

bool TTimeElement::GetAlarm() {
    TDateTime now = Now();
    TDateTime passed = now - FReferenceTime;
    FReferenceTime = now;
    if (!(passed > Interval)) return false;
    if (MultiAlarm) {
        // An interval of 0 counts each alarm as one step.
        double steps = Interval > 0 ? passed / Interval : 1.0;
        if (steps < 4294967296.0) {
            int64_t k = Round(steps);
            if (FAlarmCount + k <= INT32_MAX) FAlarmCount += static_cast<int32_t>(k);
        }
        if (FAlarmCount > INT32_MIN) --FAlarmCount;
    }
    return true;
}

std::string TTimeElement::GetIntervalText() {
    int h, m, s, ms;
    DecodeTime(Interval, h, m, s, ms);
    return IntToStr(h) + ":" + IntToStr(m) + ":" + IntToStr(s) + "." + IntToStr(ms);
}

void TTimeElement::SetIntervalText(const std::string& text) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t colon; (colon = text.find(':', start)) != std::string::npos; start = colon + 1)
        parts.push_back(text.substr(start, colon - start));
    const std::string last = text.substr(start);
    const size_t n = parts.size();

    // Hours, minutes, seconds, milliseconds; a missing part is 0.
    const std::string* texts[4] = {n >= 2 ? &parts[n - 2] : nullptr, n >= 1 ? &parts[n - 1] : nullptr, nullptr,
                                   nullptr};
    std::string sec = last, msec;
    size_t dot = last.find('.');
    if (dot != std::string::npos) {
        sec = last.substr(0, dot);
        msec = last.substr(dot + 1);
        texts[3] = &msec;
    }
    texts[2] = &sec;

    int32_t values[4] = {0, 0, 0, 0};
    for (int i = 0; i < 4; ++i) {
        if (!texts[i]) continue;
        if (!TryStrToInt(*texts[i], values[i])) {
            for (int k = i; k < 4; ++k) values[k] = 0;
            break;
        }
    }
    TDateTime dt;
    Interval = TryEncodeTime(values[0], values[1], values[2], values[3], dt) ? dt : 0;
}

// ---- registration ------------------------------------------------------------------------

void RegisterETimeUnit() { RegisterZarixClass<TTimeElement>(); }
