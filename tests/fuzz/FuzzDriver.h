#pragma once
// Between the fuzz support and the CTest driver (FuzzDriver.cpp).

#include <cstddef>
#include <cstdint>

namespace Fuzz {
// The input the driver is running now, for the failure report.
void setCurrentInput(const uint8_t* data, size_t size);
// The harness's finish steps (Fuzz::atFinish), in order.
void runFinish();
}
