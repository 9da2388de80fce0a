#pragma once
// The workstation's ANSI code page on Linux: the Windows code page that matches the user's locale, converted
// with iconv. VELTRANE_CODEPAGE=<number> overrides the locale (for support and tests), e.g. VELTRANE_CODEPAGE=1250.

#include <iconv.h>

#include <string>
#include <string_view>

#include "platform/ansi_codec.h"

namespace veltrane::platform::posix {

class IconvAnsiCodec final : public AnsiCodec {
public:
    // The code page of VELTRANE_CODEPAGE when it names a supported one, else that of the user's locale. Converting
    // throws veltrane::Error when iconv does not know it.
    IconvAnsiCodec();
    // Throws std::invalid_argument when iconv does not know the code page.
    explicit IconvAnsiCodec(int codePage);
    ~IconvAnsiCodec() override;
    IconvAnsiCodec(const IconvAnsiCodec&) = delete;
    IconvAnsiCodec& operator=(const IconvAnsiCodec&) = delete;

    int codePage() const override { return codePage_; }
    std::string encode(std::u16string_view text, bool bestFit) override;
    std::u16string decode(std::string_view bytes) override;

private:
    // Opens both converters once; false when iconv cannot.
    bool open();
    void requireOpen();

    int codePage_;
    iconv_t toAnsi_;
    iconv_t fromAnsi_;
};

// The Windows ANSI code page for a POSIX locale name such as "pl_PL.UTF-8" (1250); 1252 for C, POSIX and
// anything unknown.
int codePageForLocale(std::string_view localeName);

// The locale name that decides the character type: LC_ALL, else LC_CTYPE, else LANG (the first one set).
std::string userCtypeLocaleName();

// The code page a default-constructed codec uses: VELTRANE_CODEPAGE when valid, else the user's locale.
int userAnsiCodePage();

// The closest plain letter for an accented or stroked Latin letter (Ł -> L, ő -> o), or 0 when there is none.
char bestFitLetter(char16_t c);

}  // namespace veltrane::platform::posix
