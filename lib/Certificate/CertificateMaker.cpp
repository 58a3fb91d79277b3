#include "lib/Certificate/CertificateMaker.h"

#include "lib/Certificate/BigNumber.h"
#include "lib/Certificate/Certificate.h"
#include "lib/Certificate/Encryption.h"
#include "lib/Certificate/RandomSource.h"
#include "lib/Certificate/Rijndael.h"
#include "lib/Certificate/RijndaelEncryptor.h"
#include "lib/Certificate/SigningKey.h"

#include <cstring>
#include <vector>

std::size_t CertificateMaker::TextBlocks(std::size_t textLength) {
    std::size_t blocks = (textLength + Rijndael::kBlockBytes - 1) / Rijndael::kBlockBytes;
    if (blocks % 2 == 0 && blocks > 0) ++blocks;
    return blocks;
}

std::string CertificateMaker::Make(std::string_view text, const SigningKey& key, RandomSource& random) {
    if (!text.empty() && text.back() == '\0') {
        FENNEL_THROW(text_rejected, "CertificateMaker::Make()", "The text ends with a zero byte, which a reader drops.");
    }
    constexpr std::size_t kBlock = Rijndael::kBlockBytes;
    const std::size_t blocks = TextBlocks(text.size());

    // Plain run: the hash block, then the text area padded with zero bytes.
    std::vector<unsigned char> plain((blocks + 1) * kBlock, 0);
    std::memcpy(plain.data() + kBlock, text.data(), text.size());
    Encryption::CalcHash(plain.data() + kBlock, blocks * kBlock, plain.data());

    unsigned char aesKey[kBlock];
    random.Fill(aesKey, sizeof aesKey);
    RijndaelEncryptor cipher;
    if (!cipher.Init(128, 128, aesKey) || !cipher.Encrypt(plain.data(), plain.size(), plain.data(), Rijndael::kCbc)) {
        FENNEL_THROW(make_failure, "CertificateMaker::Make()", "Rijndael encryption fails.");
    }

    // Key block: a zero byte, the AES key and the first cipher block, signed.
    unsigned char head[Encryption::kHeaderBytes] = {};
    std::memcpy(head + 1, aesKey, kBlock);
    std::memcpy(head + 1 + kBlock, plain.data(), kBlock);
    const BigNumber signature = key.Sign(BigNumber::FromBytes(head, sizeof head));

    std::string file(Encryption::kHeaderBytes + blocks * kBlock, '\0');
    signature.ToBytes(reinterpret_cast<unsigned char*>(file.data()), Encryption::kHeaderBytes);
    std::memcpy(file.data() + Encryption::kHeaderBytes, plain.data() + kBlock, blocks * kBlock);

    const std::string publicKey = key.PublicKeyText();
    if (Open(file, publicKey.c_str()) != text) {
        FENNEL_THROW(make_failure, "CertificateMaker::Make()", "The made file does not read back as its text.");
    }
    return file;
}

void CertificateMaker::CheckText(std::string_view text) {
    Certificate certificate;
    certificate.Parse(text.data(), text.size());
}

std::string CertificateMaker::Open(std::string file, const char* publicKey) {
    std::size_t length = file.size();
    Encryption::Decrypt(file.data(), length, publicKey);
    file.resize(length);
    return file;
}
