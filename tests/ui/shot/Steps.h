// The steps of windowshot's --steps file, one a line, run once the player's main window shows.
// Points and regions are in the main window's coordinates; waits end on what the screen shows,
// with generous deadlines.
//   click X Y            a left click (xdotool)
//   dblclick X Y         a double click
//   key NAME             a key, as xdotool names it (Escape, Return ...)
//   moving X Y W H       waits until the region changes between two looks
//   settle X Y W H       waits until the region shows the same in three looks in a row
//   window TITLE         waits for a shown window whose title holds TITLE; reports
//                        "window W H X Y" of its client area on the screen, or "window none"
//   stacked TITLE        waits until the window manager stacks a window whose title holds TITLE;
//                        reports "stacked " and the stacked titles, lowest first, each ended by '|'
//   gone TITLE           waits until no shown window's title holds TITLE; reports "gone" or "still"
//   in TITLE             later points and regions are in the client area of the shown window
//                        whose title holds TITLE; reports "in none" when there is none
//   type TEXT            types the text as key presses (xdotool)
//   look X Y W H         keeps what the region shows now, for "changed"
//   changed              waits until the region of the last look shows something else; reports
//                        "changed" or "changed no"
//   resize W H           asks the window manager to size the main window W x H, waits until it has
//                        handled that (as sync) and reports "size W H" of the main window then
//   sync                 waits until the window manager has handled what came before: a move of
//                        the main window by a pixel and back, each waited for, comes after it
#pragma once

#include <QString>
#include <QStringList>

namespace shot {

struct Geometry {
  int width, height, x, y;
};

// Runs the file's steps against the main window at `main`; the reports, one a line.
QStringList RunSteps(const QString& file, const Geometry& main);

}  // namespace shot
