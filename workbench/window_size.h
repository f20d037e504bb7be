// The remembered sizes of the workbench windows: kept in "Kessik.ini" under
// a section of their own ("[Workbench]", "SectionTableSize=900,520"), so
// that the keys of the described settings stay as they are.
#pragma once

#include <QSize>

class QWidget;

namespace kessik {

// The size remembered under a key, or the default.
QSize rememberedSize(const char* key, QSize fallback);
// Remembers the size of a window's frame (the child window frame when it has
// one) under a key; the configuration file is written at once.
void rememberSize(const char* key, const QWidget* window);
// Gives a window's frame the remembered size.
void applyRememberedSize(const char* key, QWidget* window, QSize fallback);

}  // namespace kessik
