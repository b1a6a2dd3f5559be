#include "window_services/FrameCalls.h"

namespace {
TFrameCalls* frameCalls = nullptr;
}

TFrameCalls* FrameCalls() { return frameCalls; }

void SetFrameCalls(TFrameCalls* frame) { frameCalls = frame; }
