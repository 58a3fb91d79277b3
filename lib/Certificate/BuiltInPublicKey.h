#pragma once
// The public key built into the program: the text "exponent-modulus" (64 and 65 upper-case
// hexadecimal digits) of the key pair whose private key signs the configuration files.
// Which pair is chosen when the program is configured (see README, "Signing key").
const char* BuiltInPublicKey() noexcept;
