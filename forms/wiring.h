#pragma once

class Form1;
class Form2;
class Form3;
class Form4;
class WatchLoop;

// Hands each window the windows and the watch loop it works with: the main window, the Mini
// Counter and the background host share one Fast Counter and one loop, and the Fast Counter
// knows the three hosts it cycles through.
void wireWindows(Form1& main, Form2& fastCounter, Form3& mini, Form4& background, WatchLoop& loop);
