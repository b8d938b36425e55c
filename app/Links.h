#pragma once
// The maker's addresses, in one place.

inline constexpr char kMakerSite[] = "http://www.jizhang.example";
inline constexpr char kSupportNumber[] = "800012012";
inline constexpr char kHelpDocument[] = "http://www.jizhang.example/help/index.htm";
// The version page: its body is the newest version number.
inline constexpr char kVersionUrl[] = "http://www.jizhang.example/var2012.asp";
