#include "device/device_tool.h"

void TDeviceTool::Publish(PropertyTable& t) {
    t.Obj<TDeviceTool, TDevice>("Device", &TDeviceTool::GetDevice, &TDeviceTool::SetDevice).Stored(false);
    t.Float<TDeviceTool>("DeviceScale", &TDeviceTool::GetDeviceScale, &TDeviceTool::SetDeviceScale).Stored(false);
}

TDevice* TDeviceTool::GetDevice() const { return IsLive(FDevice) ? FDevice : nullptr; }

void TDeviceTool::SetDevice(TDevice* device) { FDevice = device; }

double TDeviceTool::GetDeviceScale() const {
    TDevice* d = GetDevice();
    return (d && d->GetProjection()) ? d->GetProjection()->GetScale() : 0;
}

void TDeviceTool::SetDeviceScale(double scale) {
    TDevice* d = GetDevice();
    if (!d || !d->GetProjection()) return;
    TPageProjection* p = d->GetProjection();
    p->ChangeProjection(p->GetCenter(), nullptr, scale);
}
