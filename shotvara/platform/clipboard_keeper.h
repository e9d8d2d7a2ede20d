// Keeps a copied shot pasteable after the tool has closed. On X11 the clipboard is only a promise: the
// program that copied answers every paste itself, so its picture dies with it. Where a clipboard manager
// runs, Qt hands it the picture as the program ends (ICCCM SAVE_TARGETS); elsewhere a small background
// process of ours, with no window, answers pastes until another program takes the clipboard. Wayland
// is the same promise; a wlroots compositor lets that process hold it through data-control, and the
// desktops that do not (GNOME, KDE) keep a copy themselves.
#pragma once

#include "common/result.h"

#include <QString>
#include <string_view>

class QGuiApplication;

namespace shotvara {

// The command-line word that runs shotvara as the clipboard's keeper instead of the screenshot tool.
inline constexpr std::string_view kHoldClipboardOption = "--hold-clipboard";
// The word after it for a keeper of the Wayland clipboard (through data-control, with no Qt at all).
inline constexpr std::string_view kWaylandKeeper = "wayland";

// How long a keeper waits at most for another program to take the clipboard.
inline constexpr int kHoldClipboardHours = 12;

// Called as the tool ends, while its application still runs. If we own the clipboard and no clipboard
// manager will take it, starts `program --hold-clipboard` with the picture and waits until it owns the
// clipboard. Nothing to do (and success) when the clipboard is not ours, or is a Wayland desktop's that
// keeps copies by itself.
aquine::Result<> keepClipboardAfterExit(const QString& program);

// The keeper's whole life: reads a PNG picture from standard input, owns the clipboard with it, writes
// one byte to standard output once it does, and returns when another program takes the clipboard, the
// time limit passes or the display goes away. The application must not have been created yet. With the
// Wayland word after the option it holds the Wayland clipboard instead of X11's.
int runClipboardKeeper(int argc, char* argv[]);

} // namespace shotvara
