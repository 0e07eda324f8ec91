#pragma once

#include <QRect>
#include <QString>
#include <optional>

class EventPages;
class QWidget;
class Settings;

// Where a window stood: its normal (not maximised) geometry without the frame, and whether it
// was maximised. Kept as text: "left top width height", then " maximised" when it was.
struct WindowPlace {
    QRect normal;
    bool maximised = false;
};
QString windowPlaceText(const WindowPlace &place);
// Nothing for an empty or unreadable text, or a size that is not positive.
std::optional<WindowPlace> parseWindowPlace(const QString &text);

// Puts the main window where the settings say it stood, and the operator's column widths back
// into the event lists. A value that is missing or unreadable changes nothing. A place no screen
// shows any more (a monitor gone) comes back on the primary screen.
void restoreWindowLayout(QWidget &window, EventPages &pages, const Settings &settings);
// Takes the window's place (when `placeKnown`: the window has been on screen) and the operator's
// column widths into the settings, for the next write.
void storeWindowLayout(const QWidget &window, bool placeKnown, const EventPages &pages,
                       Settings &settings);
