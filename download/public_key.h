#pragma once
// The public key built into the program: the 138-byte "PUBLIC_KEY" layout,
// taken at build time from the file named by SPARKLETIDE_PUBLIC_KEY.

#include <string_view>

std::string_view BuiltInPublicKey();
