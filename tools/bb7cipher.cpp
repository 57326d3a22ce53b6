// bb7cipher: enciphers a password for the INSTPASSWORD line of the unattended-install
// file, or deciphers such a text. Standard input to standard output, raw bytes.
//
//   bb7cipher [-k KEY]       encipher
//   bb7cipher -d [-k KEY]    decipher
//   bb7cipher --version
//
// Exit status: 0 done, 1 the text cannot be deciphered with the key, 2 wrong arguments or
// no ciphered form without NUL, CR and LF bytes exists for this password and key.
#include <cstdio>
#include <cstring>
#include <iostream>
#include <iterator>
#include <string>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "Bb7Version.h"
#include "StringCipher.h"
#include "UnattendedKey.h"

static int Usage()
{
    std::cerr << "usage: bb7cipher [-d] [-k KEY] < input > output\n"
                 "       bb7cipher --version\n"
                 "  enciphers standard input (or deciphers it with -d) for the INSTPASSWORD line\n"
                 "  of Bb7Auto.txt; the default key is the installer's own.\n";
    return 2;
}

int main(int argc, char** argv)
{
    bool decipher = false;
    std::string key = UnattendedPasswordKey;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::cout << "bb7cipher " BB7_VERSION_TEXT "\n";
            return 0;
        }
        if (std::strcmp(argv[i], "-d") == 0)
            decipher = true;
        else if (std::strcmp(argv[i], "-k") == 0 && i + 1 < argc)
            key = argv[++i];
        else
            return Usage();
    }
    if (key.empty()) {
        std::cerr << "bb7cipher: the key must not be empty\n";
        return 2;
    }

#ifdef _WIN32
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    std::string input((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());

    std::string output;
    if (decipher) {
        switch (DecipherTextChecked(input, key, output)) {
        case CipherStatus::Plain:
            break;
        case CipherStatus::StringCorrupted:
            std::cerr << "bb7cipher: the text is corrupted: it does not start with a digit\n";
            return 1;
        case CipherStatus::IncorrectPassword:
            std::cerr << "bb7cipher: the text was not enciphered with this key\n";
            return 1;
        }
    } else {
        std::optional<std::string> cipher = EncipherText(input, key);
        if (!cipher) {
            std::cerr << "bb7cipher: no ciphered form of this password with this key avoids NUL, CR and LF bytes;"
                         " choose another password\n";
            return 2;
        }
        output = *cipher;
    }
    std::fwrite(output.data(), 1, output.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 2;
}
