#pragma once
// Virtual-key numbers and hot-key modifier flags, as the agent's settings and
// key tests use them: letters and digits are their upper-case character codes,
// the other keys have fixed numbers (Esc 0x1B, Home 0x24, F7 0x76, ...).

#include <cstdint>

namespace platform {

using VirtualKey = int;  // 0 = no key, otherwise 1..255
using Modifiers = unsigned;

inline constexpr Modifiers kModAlt = 0x1;
inline constexpr Modifiers kModControl = 0x2;
inline constexpr Modifiers kModShift = 0x4;

namespace vk {
inline constexpr VirtualKey kLButton = 0x01;
inline constexpr VirtualKey kRButton = 0x02;
inline constexpr VirtualKey kMButton = 0x04;
inline constexpr VirtualKey kXButton1 = 0x05;
inline constexpr VirtualKey kXButton2 = 0x06;
inline constexpr VirtualKey kBack = 0x08;
inline constexpr VirtualKey kTab = 0x09;
inline constexpr VirtualKey kReturn = 0x0D;
inline constexpr VirtualKey kShift = 0x10;
inline constexpr VirtualKey kControl = 0x11;
inline constexpr VirtualKey kMenu = 0x12;  // Alt
inline constexpr VirtualKey kPause = 0x13;
inline constexpr VirtualKey kCapital = 0x14;  // Caps Lock
inline constexpr VirtualKey kEscape = 0x1B;
inline constexpr VirtualKey kSpace = 0x20;
inline constexpr VirtualKey kPrior = 0x21;  // Page Up
inline constexpr VirtualKey kNext = 0x22;   // Page Down
inline constexpr VirtualKey kEnd = 0x23;
inline constexpr VirtualKey kHome = 0x24;
inline constexpr VirtualKey kLeft = 0x25;
inline constexpr VirtualKey kUp = 0x26;
inline constexpr VirtualKey kRight = 0x27;
inline constexpr VirtualKey kDown = 0x28;
inline constexpr VirtualKey kSnapshot = 0x2C;  // Print Screen
inline constexpr VirtualKey kInsert = 0x2D;
inline constexpr VirtualKey kDelete = 0x2E;
inline constexpr VirtualKey k0 = 0x30;  // '0'..'9' follow
inline constexpr VirtualKey kA = 0x41;  // 'A'..'Z' follow
inline constexpr VirtualKey kLWin = 0x5B;
inline constexpr VirtualKey kRWin = 0x5C;
inline constexpr VirtualKey kApps = 0x5D;
inline constexpr VirtualKey kNumpad0 = 0x60;  // Num 0..Num 9 follow
inline constexpr VirtualKey kMultiply = 0x6A;
inline constexpr VirtualKey kAdd = 0x6B;
inline constexpr VirtualKey kSubtract = 0x6D;
inline constexpr VirtualKey kDecimal = 0x6E;
inline constexpr VirtualKey kDivide = 0x6F;
inline constexpr VirtualKey kF1 = 0x70;  // F1..F24 follow
inline constexpr VirtualKey kF7 = 0x76;
inline constexpr VirtualKey kF12 = 0x7B;
inline constexpr VirtualKey kF24 = 0x87;
inline constexpr VirtualKey kNumLock = 0x90;
inline constexpr VirtualKey kScroll = 0x91;
inline constexpr VirtualKey kLShift = 0xA0;
inline constexpr VirtualKey kRShift = 0xA1;
inline constexpr VirtualKey kLControl = 0xA2;
inline constexpr VirtualKey kRControl = 0xA3;
inline constexpr VirtualKey kLMenu = 0xA4;
inline constexpr VirtualKey kRMenu = 0xA5;
inline constexpr VirtualKey kVolumeMute = 0xAD;
inline constexpr VirtualKey kVolumeDown = 0xAE;
inline constexpr VirtualKey kVolumeUp = 0xAF;
inline constexpr VirtualKey kMediaNext = 0xB0;
inline constexpr VirtualKey kMediaPrev = 0xB1;
inline constexpr VirtualKey kMediaStop = 0xB2;
inline constexpr VirtualKey kMediaPlayPause = 0xB3;
inline constexpr VirtualKey kOem1 = 0xBA;  // ';'
inline constexpr VirtualKey kOemPlus = 0xBB;
inline constexpr VirtualKey kOemComma = 0xBC;
inline constexpr VirtualKey kOemMinus = 0xBD;
inline constexpr VirtualKey kOemPeriod = 0xBE;
inline constexpr VirtualKey kOem2 = 0xBF;    // '/'
inline constexpr VirtualKey kOem3 = 0xC0;    // '`'
inline constexpr VirtualKey kOem4 = 0xDB;    // '['
inline constexpr VirtualKey kOem5 = 0xDC;    // '\'
inline constexpr VirtualKey kOem6 = 0xDD;    // ']'
inline constexpr VirtualKey kOem7 = 0xDE;    // '\''
inline constexpr VirtualKey kOem102 = 0xE2;  // the extra key beside left Shift
}  // namespace vk

}  // namespace platform
