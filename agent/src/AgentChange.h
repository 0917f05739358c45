// The tick and the change: whether a change is due, the screen-size guard, the retry pause, and one
// call of the engine, which is loaded from the Agent's folder for the change and freed after it.
#pragma once

// The timer thread's tick, handled on the window thread.
void CheckExchange();
// One change: a new image, or with `update` the current one drawn again; `exclude` first takes
// the current image out of the list. Nothing while another change (or its error box) is open.
void ChangeBackground(bool exclude, bool update);
// Loads the engine, calls it, frees it and reads the settings anew; the engine's result, or 0 when
// the engine could not be used.
int DoChangeBackground(bool exclude, bool update);
// The icon-caption colours of the current image, as the engine set them after its change.
void ReapplyIconCaptionColors();

// A window close asked for while a change runs waits for the change's end.
void RequestClose();
