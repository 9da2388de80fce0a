#include "printing/page_setup.h"

#include <utility>

#include "printing/restore_journal.h"

namespace veltrane::printing {

namespace {
const std::u16string kMargins[] = {u"margin_bottom", u"margin_top", u"margin_left", u"margin_right"};
}

std::optional<settings::OpenSettingsKey> openPageSetup(platform::Registry& registry, bool create) {
    auto key = registry.openKey(kPageSetupKeyPath, create);
    if (!key) return std::nullopt;
    return settings::OpenSettingsKey(std::move(key));
}

void fillEngineDefaults(settings::OpenSettingsKey& key) {
    const std::pair<std::u16string, std::u16string> defaults[] = {
        {u"header", u"&w&bPage &p of &P"}, {u"footer", u"&u&b&d"},      {u"margin_bottom", u"0.750000"},
        {u"margin_top", u"0.750000"},      {u"margin_left", u"0.750000"}, {u"margin_right", u"0.750000"},
    };
    for (const auto& [name, value] : defaults) {
        if (!key.has(name)) key.write(name, value);
    }
}

void clearPageSetup(settings::OpenSettingsKey& key, bool margins) {
    if (margins) {
        for (const auto& margin : kMargins) key.write(margin, u"0");
    }
    key.write(u"header", u"");
    key.write(u"footer", u"");
}

void putBackPageSetup(platform::Registry& registry, const SavedPageSetup& saved, bool margins) {
    auto key = openPageSetup(registry, /*create=*/true);
    if (!key) return;
    if (!saved.footer.empty()) key->write(u"footer", saved.footer);
    if (!saved.header.empty()) key->write(u"header", saved.header);
    if (margins) {
        const std::u16string* values[] = {&saved.marginBottom, &saved.marginTop, &saved.marginLeft, &saved.marginRight};
        for (int i = 0; i < 4; ++i) {
            if (!values[i]->empty()) key->write(kMargins[i], *values[i]);
        }
    }
}

platform::PageSetupValues pageSetupForPrint(platform::Registry& registry, RestoreJournal& journal, bool ownSetup,
                                            bool dedicated) {
    platform::PageSetupValues values;
    auto key = openPageSetup(registry, /*create=*/false);
    const auto current = [&](const std::u16string& name) { return key ? key->read(name) : std::u16string(); };
    values.header = ownSetup ? std::u16string() : current(u"header");
    values.footer = ownSetup ? std::u16string() : current(u"footer");
    std::u16string* margins[] = {&values.marginBottom, &values.marginTop, &values.marginLeft, &values.marginRight};
    for (int i = 0; i < 4; ++i) {
        if (ownSetup && dedicated)
            margins[i]->assign(1, u'0');
        else if (const auto found = ownSetup ? journal.margin(i) : std::nullopt)
            *margins[i] = *found;  // a dedicated request has zeroed them meanwhile: the user's own
        else
            *margins[i] = current(kMargins[i]);
    }
    return values;
}

}  // namespace veltrane::printing
