// Forms shown without waiting (main windows, map windows) as Qt windows, and the loop that
// runs them: one window a form, refreshed after posted messages ran, dropped with its form.
#pragma once

class TForm;

void ShowFormWindow(TForm& form);
void HideFormWindow(TForm& form);
// The form is going: its window no longer touches it and goes too.
void DropFormWindow(TForm& form);
// The form's pop-up menu at the mouse.
void PopupFormMenu(TForm& form);
// Every window and image from its form's state, after posted messages ran.
void RefreshFormWindows();
// Qt's loop until the application is terminated or its main form's window was closed.
void RunScreenLoop();
// Ends a running loop when the application was terminated; called between messages.
void CheckScreenLoop();
// Drops every window (the screen ends).
void DropAllFormWindows();
