// The last size of each window class, kept in Kessik.ini in a section of its
// own, "WindowSizes", one line per class: "TSinglPrintsDbR1F=820,400" (the
// client width and height). The program's other keys are never touched.
#pragma once

#include <QSize>

#include <optional>
#include <string>

class QWidget;

namespace kessik {

inline constexpr const char* kWindowSizesSection = "WindowSizes";

// Call once a resizable window has its starting size and its minimum: gives
// it the size its class had when one of its windows was last closed (never
// smaller than its minimum nor larger than the screen), and from then on
// keeps the size it is given (not while maximised or minimised), writing it
// when the window closes or goes.
void rememberWindowSize(QWidget* window, const std::string& windowClass);

// The stored size of a class, when there is a readable one.
std::optional<QSize> storedWindowSize(const std::string& windowClass);
// Writes the size of a class; false when Kessik.ini is missing or could not
// be read or written (nothing is said: the size is a convenience).
bool storeWindowSize(const std::string& windowClass, QSize size);

}  // namespace kessik
