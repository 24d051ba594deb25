// Exit codes of modules_probe.exe (modules_probe.cpp).
#pragma once

namespace kaltest {

constexpr unsigned kStartedWithout = 10;      // the start-up ran and loaded neither below
constexpr unsigned kStartedWithGdiplus = 11;  // the start-up ran and loaded GDI+
constexpr unsigned kStartedWithControls = 12; // the start-up loaded the common controls
constexpr unsigned kDrew = 20;                // the drawing changed pixels
constexpr unsigned kDrewNothing = 21;         // the drawing returned without drawing
constexpr unsigned kProbeFailed = 30;         // the probe could not set itself up

}  // namespace kaltest
