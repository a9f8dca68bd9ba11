#include "world/event_names.h"

#include <cstdio>

#include "world/event.h"
#include "world/object.h"

namespace bw {

namespace {

struct NamedNumber {
    int32_t number;
    const char* name;
};

constexpr NamedNumber kKeyNames[] = {
    {0, "<no key>"},
    {1, "<any key>"},
    {8, "<Backspace>"},
    {9, "<Tab>"},
    {13, "<Enter>"},
    {16, "<Shift>"},
    {17, "<Ctrl>"},
    {18, "<Alt>"},
    {27, "<Escape>"},
    {32, "<Space>"},
    {33, "<Page Up>"},
    {34, "<Page Down>"},
    {35, "<End>"},
    {36, "<Home>"},
    {37, "<Left>"},
    {38, "<Up>"},
    {39, "<Right>"},
    {40, "<Down>"},
    {45, "<Insert>"},
    {46, "<Delete>"},
    {106, "Keypad *"},
    {107, "Keypad +"},
    {109, "Keypad -"},
    {110, "Keypad ."},
    {111, "Keypad /"},
};

constexpr NamedNumber kMouseNames[] = {
    {0, "Left Button"},
    {1, "Right Button"},
    {2, "Middle Button"},
    {3, "No Button"},
    {4, "Left Pressed"},
    {5, "Right Pressed"},
    {6, "Middle Pressed"},
    {7, "Left Released"},
    {8, "Right Released"},
    {9, "Middle Released"},
    {10, "Mouse Enter"},
    {11, "Mouse Leave"},
    {16, "Joystick 1 Left"},
    {17, "Joystick 1 Right"},
    {18, "Joystick 1 Up"},
    {19, "Joystick 1 Down"},
    {21, "Joystick 1 Button 1"},
    {22, "Joystick 1 Button 2"},
    {23, "Joystick 1 Button 3"},
    {24, "Joystick 1 Button 4"},
    {25, "Joystick 1 Button 5"},
    {26, "Joystick 1 Button 6"},
    {27, "Joystick 1 Button 7"},
    {28, "Joystick 1 Button 8"},
    {31, "Joystick 2 Left"},
    {32, "Joystick 2 Right"},
    {33, "Joystick 2 Up"},
    {34, "Joystick 2 Down"},
    {36, "Joystick 2 Button 1"},
    {37, "Joystick 2 Button 2"},
    {38, "Joystick 2 Button 3"},
    {39, "Joystick 2 Button 4"},
    {40, "Joystick 2 Button 5"},
    {41, "Joystick 2 Button 6"},
    {42, "Joystick 2 Button 7"},
    {43, "Joystick 2 Button 8"},
    {50, "Glob Left Button"},
    {51, "Glob Right Button"},
    {52, "Glob Middle Button"},
    {53, "Glob Left Pressed"},
    {54, "Glob Right Pressed"},
    {55, "Glob Middle Pressed"},
    {56, "Glob Left Released"},
    {57, "Glob Right Released"},
    {58, "Glob Middle Released"},
    {60, "Mouse Wheel Up"},
    {61, "Mouse Wheel Down"},
};

constexpr NamedNumber kOtherNames[] = {
    {0, "Outside Room"},
    {1, "Intersect Boundary"},
    {2, "Game Start"},
    {3, "Game End"},
    {4, "Room Start"},
    {5, "Room End"},
    {6, "No More Lives"},
    {7, "Animation End"},
    {8, "End Of Path"},
    {9, "No More Health"},
    {10, "User Defined 0"},
    {11, "User Defined 1"},
    {12, "User Defined 2"},
    {13, "User Defined 3"},
    {14, "User Defined 4"},
    {15, "User Defined 5"},
    {16, "User Defined 6"},
    {17, "User Defined 7"},
    {18, "User Defined 8"},
    {19, "User Defined 9"},
    {20, "User Defined 10"},
    {21, "User Defined 11"},
    {22, "User Defined 12"},
    {23, "User Defined 13"},
    {24, "User Defined 14"},
    {25, "User Defined 15"},
    {30, "Close Button"},
    {40, "Outside View 0"},
    {41, "Outside View 1"},
    {42, "Outside View 2"},
    {43, "Outside View 3"},
    {44, "Outside View 4"},
    {45, "Outside View 5"},
    {46, "Outside View 6"},
    {47, "Outside View 7"},
    {50, "Boundary View 0"},
    {51, "Boundary View 1"},
    {52, "Boundary View 2"},
    {53, "Boundary View 3"},
    {54, "Boundary View 4"},
    {55, "Boundary View 5"},
    {56, "Boundary View 6"},
    {57, "Boundary View 7"},
};

constexpr NamedNumber kAsyncNames[] = {
    {60, "Image Loaded"},
    {61, "Sound Loaded"},
    {62, "HTTP"},
    {63, "Dialog"},
    {66, "IAP"},
    {67, "Cloud"},
    {68, "Networking"},
    {69, "Steam"},
};

template <size_t N>
const char* NameOf(const NamedNumber (&table)[N], int32_t number)
{
    for (const NamedNumber& entry : table) {
        if (entry.number == number) {
            return entry.name;
        }
    }
    return nullptr;
}

const char* OrUnknown(const char* name)
{
    return name != nullptr ? name : "<unknown>";
}

std::string Formatted(const char* format, int32_t value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// Asynchronous results arrive as "other" events from this number on.
constexpr int32_t kFirstAsyncEvent = 60;

}  // namespace

std::string Event_Name(int32_t type, int32_t number)
{
    switch (type) {
    case kEventCreate:
        return "Create Event";
    case kEventDestroy:
        return "Destroy Event";
    case kEventAlarm:
        return Formatted("Alarm Event for alarm %d", number);
    case kEventStep:
        return Formatted(" Step Event%d", number);
    case kEventCollision:
        return std::string(" Step Event") + Object_Name(number);
    case kEventKeyboard:
        return "Keyboard Event for " + Event_KeyName(number) + " Key";
    case kEventMouse:
        return std::string("Mouse Event for ") + Event_MouseName(number);
    case kEventOther:
        return number >= kFirstAsyncEvent ? std::string("Web Event: ") + Event_AsyncName(number)
                                          : std::string("Other Event: ") + Event_OtherName(number);
    case kEventDraw:
        return "Draw Event";
    case kEventKeyPress:
        return "Key Press Event for " + Event_KeyName(number) + " Key";
    case kEventKeyRelease:
        return "Key Release Event for " + Event_KeyName(number) + " Key";
    default:
        return "<Unknown Event>";
    }
}

std::string Event_ShortName(int32_t type, int32_t number)
{
    return Event_ShortName(type, number, Object_Name);
}

std::string Event_ShortName(int32_t type, int32_t number, const ObjectNamer& objectName)
{
    switch (type) {
    case kEventCreate:
        return "Create";
    case kEventDestroy:
        return "Destroy";
    case kEventAlarm:
        return Formatted("Alarm %d", number);
    case kEventStep:
        return std::string(Event_StepSubName(number)) + "Step";
    case kEventCollision:
        return objectName(number);
    case kEventKeyboard:
        return Event_KeyName(number);
    case kEventMouse:
        return Event_MouseName(number);
    case kEventOther:
        return number >= kFirstAsyncEvent ? Event_AsyncName(number) : Event_OtherName(number);
    case kEventDraw:
        return "Draw";
    case kEventKeyPress:
        return "press " + Event_KeyName(number);
    case kEventKeyRelease:
        return "release " + Event_KeyName(number);
    default:
        return "<Unknown Event>";
    }
}

std::string Event_ActionUnitName(int32_t owner, int32_t type, int32_t number, int32_t action,
                                 const ObjectNamer& objectName)
{
    return "Object." + objectName(owner) + "." + Event_ShortName(type, number, objectName) + "." +
           std::to_string(action);
}

const char* Event_StepSubName(int32_t number)
{
    switch (number) {
    case 1:
        return "Begin";
    case 2:
        return "End";
    default:
        return "";
    }
}

std::string Event_KeyName(int32_t key)
{
    if (const char* name = NameOf(kKeyNames, key)) {
        return name;
    }
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) {
        return Formatted("%c-key", key);
    }
    if (key >= 96 && key <= 105) {
        return Formatted("Keypad-%d", key - 96);
    }
    if (key >= 112 && key <= 123) {
        return Formatted("F%d", key - 111);
    }
    return "<unknown>";
}

const char* Event_MouseName(int32_t number)
{
    return OrUnknown(NameOf(kMouseNames, number));
}

const char* Event_OtherName(int32_t number)
{
    return OrUnknown(NameOf(kOtherNames, number));
}

const char* Event_AsyncName(int32_t number)
{
    return OrUnknown(NameOf(kAsyncNames, number));
}

}  // namespace bw
