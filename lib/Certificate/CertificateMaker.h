#pragma once
// CertificateMaker: makes configuration files from their plain text, the counterpart of
// Encryption::Decrypt for the file maker tool and the tests. A file is the 33-byte RSA
// block (a zero byte, a random AES-128 key, the first cipher block) signed with the
// private key, followed by the AES-128-CBC blocks of the hash and the zero-padded text.
#include "support/ContextException.h"

#include <cstddef>
#include <string>
#include <string_view>

class RandomSource;
class SigningKey;

class CertificateMaker {
public:
    struct base_exception : ContextException {
        using ContextException::ContextException;
    };
    FENNEL_EXCEPTION(text_rejected, base_exception);
    FENNEL_EXCEPTION(make_failure, base_exception);

    // The enciphered, signed file for text. A text ending in a zero byte is refused: the
    // reader takes trailing zero bytes for padding.
    static std::string Make(std::string_view text, const SigningKey& key, RandomSource& random);

    // Parses text as the program will; throws the parser's failure.
    static void CheckText(std::string_view text);

    // Deciphers a file with a public key text; throws Decrypt's failure.
    static std::string Open(std::string file, const char* publicKey);

    // Number of 16-byte text blocks a file holds for a text of the given length: whole
    // blocks, made odd by one block of zeros when even. The hash covers every other block
    // from the first, so an odd count keeps the last block inside it.
    static std::size_t TextBlocks(std::size_t textLength);
};
