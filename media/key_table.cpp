// The DirectInput scan code -> SDL 1.2 key table, kept as data. DXtoVK
// copies these rows over a table filled with kNoKey. Scan codes 43 and 86
// both name the backslash key on purpose (86 is the extra key of 102-key
// keyboards); every other SDL key has one scan code.
#include "media/dxinput.h"

namespace __VELTRIC__ {

const KeyTableRow kKeyTableRows[] = {
    {1, SDLK_ESCAPE},      {2, SDLK_1},            {3, SDLK_2},
    {4, SDLK_3},           {5, SDLK_4},            {6, SDLK_5},
    {7, SDLK_6},           {8, SDLK_7},            {9, SDLK_8},
    {10, SDLK_9},          {11, SDLK_0},           {12, SDLK_MINUS},
    {13, SDLK_EQUALS},     {14, SDLK_BACKSPACE},   {15, SDLK_TAB},
    {16, SDLK_q},          {17, SDLK_w},           {18, SDLK_e},
    {19, SDLK_r},          {20, SDLK_t},           {21, SDLK_y},
    {22, SDLK_u},          {23, SDLK_i},           {24, SDLK_o},
    {25, SDLK_p},          {26, SDLK_LEFTBRACKET}, {27, SDLK_RIGHTBRACKET},
    {28, SDLK_RETURN},     {29, SDLK_LCTRL},       {30, SDLK_a},
    {31, SDLK_s},          {32, SDLK_d},           {33, SDLK_f},
    {34, SDLK_g},          {35, SDLK_h},           {36, SDLK_j},
    {37, SDLK_k},          {38, SDLK_l},           {39, SDLK_SEMICOLON},
    {40, SDLK_QUOTE},      {41, SDLK_BACKQUOTE},   {42, SDLK_LSHIFT},
    {43, SDLK_BACKSLASH},  {44, SDLK_z},           {45, SDLK_x},
    {46, SDLK_c},          {47, SDLK_v},           {48, SDLK_b},
    {49, SDLK_n},          {50, SDLK_m},           {51, SDLK_COMMA},
    {52, SDLK_PERIOD},     {53, SDLK_SLASH},       {54, SDLK_RSHIFT},
    {55, SDLK_KP_MULTIPLY},{56, SDLK_LALT},        {57, SDLK_SPACE},
    {58, SDLK_CAPSLOCK},   {59, SDLK_F1},          {60, SDLK_F2},
    {61, SDLK_F3},         {62, SDLK_F4},          {63, SDLK_F5},
    {64, SDLK_F6},         {65, SDLK_F7},          {66, SDLK_F8},
    {67, SDLK_F9},         {68, SDLK_F10},         {69, SDLK_NUMLOCK},
    {70, SDLK_SCROLLOCK},  {71, SDLK_KP7},         {72, SDLK_KP8},
    {73, SDLK_KP9},        {74, SDLK_KP_MINUS},    {75, SDLK_KP4},
    {76, SDLK_KP5},        {77, SDLK_KP6},         {78, SDLK_KP_PLUS},
    {79, SDLK_KP1},        {80, SDLK_KP2},         {81, SDLK_KP3},
    {82, SDLK_KP0},        {83, SDLK_KP_PERIOD},   {86, SDLK_BACKSLASH},
    {87, SDLK_F11},        {88, SDLK_F12},         {100, SDLK_F13},
    {101, SDLK_F14},       {102, SDLK_F15},        {141, SDLK_KP_EQUALS},
    {156, SDLK_KP_ENTER},  {157, SDLK_RCTRL},      {181, SDLK_KP_DIVIDE},
    {183, SDLK_SYSREQ},    {184, SDLK_RALT},       {197, SDLK_PAUSE},
    {199, SDLK_HOME},      {200, SDLK_UP},         {201, SDLK_PAGEUP},
    {203, SDLK_LEFT},      {205, SDLK_RIGHT},      {207, SDLK_END},
    {208, SDLK_DOWN},      {209, SDLK_PAGEDOWN},   {210, SDLK_INSERT},
    {211, SDLK_DELETE},    {219, SDLK_LMETA},      {220, SDLK_RMETA},
    {221, SDLK_MENU},
};

const int kKeyTableRowCount = sizeof(kKeyTableRows) / sizeof(kKeyTableRows[0]);

} // namespace __VELTRIC__
