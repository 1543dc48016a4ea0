// A tool with a device: the base of window tools, printing and protocol writers.
#pragma once
#include "device/device.h"
#include "kernel/tools.h"

class TDeviceTool : public TTool {
    ZARIX_CLASS(TDeviceTool, TTool)
    static void Publish(PropertyTable& t);

public:
    // The device is not owned; nil once it is gone.
    TDevice* GetDevice() const;
    virtual void SetDevice(TDevice* device);
    // The scale of the device's projection (0 without a device).
    double GetDeviceScale() const;
    // Values of 0 or below are refused.
    void SetDeviceScale(double scale);

private:
    TDevice* FDevice = nullptr;
};
