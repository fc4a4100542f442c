#include "forms/wiring.h"

#include "forms/compact/form2.h"
#include "forms/compact/form3.h"
#include "forms/compact/form4.h"
#include "forms/main/form1.h"

void wireWindows(Form1& main, Form2& fastCounter, Form3& mini, Form4& background, WatchLoop& loop) {
    main.setFastCounter(&fastCounter);
    main.setWatchLoop(&loop);
    mini.setFastCounter(&fastCounter);
    mini.setWatchLoop(&loop);
    background.setFastCounter(&fastCounter);
    background.setWatchLoop(&loop);
    fastCounter.setWindows(&main, &mini, &background);
}
