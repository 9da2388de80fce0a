#include "fakes/fake_platform.h"

#include <algorithm>

#include "platform/paths.h"
#include "support/utf16le_bytes.h"

namespace veltrane::fakes {

bool FoldedLess::operator()(const std::u16string& a, const std::u16string& b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char16_t x, char16_t y) { return foldCase(x) < foldCase(y); });
}

namespace {

using testing::regStringData;

class FakeKey final : public RegistryKey {
public:
    FakeKey(FakeRegistry& owner, std::u16string path) : owner_(owner), path_(std::move(path)) {}
    std::optional<RegValue> queryValue(const std::u16string& name) override {
        auto& values = owner_.keys.at(path_);
        auto it = values.find(name);
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
    bool setStringValue(const std::u16string& name, const std::u16string& value) override {
        if (owner_.refuseWrites) return false;
        owner_.keys[path_][name] = RegValue{RegType::Sz, regStringData(value)};
        owner_.writeLog.push_back(path_ + u"|" + name + u"=" + value);
        return true;
    }

    std::vector<std::u16string> valueNames() override {
        std::vector<std::u16string> names;
        for (const auto& [name, value] : owner_.keys.at(path_)) names.push_back(name);
        return names;
    }
    void setValues(const std::vector<RegNamedValue>& values) override {
        if (owner_.refuseWrites) throw Error("The fake registry refuses writes");
        for (const auto& v : values) {
            owner_.keys[path_][v.name] = v.value;
            owner_.writeLog.push_back(path_ + u"|" + v.name + u":" +
                                      utf8ToUtf16(std::to_string(static_cast<unsigned>(v.value.type))));
        }
    }

private:
    FakeRegistry& owner_;
    std::u16string path_;
};

}  // namespace

std::unique_ptr<RegistryKey> FakeRegistry::openKey(const std::u16string& path, bool create) {
    if (!keys.count(path)) {
        if (!create || refuseCreate) return nullptr;
        keys[path];
    }
    return std::make_unique<FakeKey>(*this, path);
}

void FakeRegistry::setString(const std::u16string& path, const std::u16string& name, const std::u16string& value) {
    keys[path][name] = RegValue{RegType::Sz, regStringData(value)};
}

void FakeRegistry::setRaw(const std::u16string& path, const std::u16string& name, RegType type,
                          std::vector<std::uint8_t> data) {
    keys[path][name] = RegValue{type, std::move(data)};
}

std::optional<std::u16string> FakeRegistry::getString(const std::u16string& path, const std::u16string& name) const {
    auto k = keys.find(path);
    if (k == keys.end()) return std::nullopt;
    auto v = k->second.find(name);
    if (v == k->second.end()) return std::nullopt;
    std::u16string text;
    for (std::size_t i = 0; i + 1 < v->second.data.size(); i += 2) {
        const auto c = static_cast<char16_t>(v->second.data[i] | (v->second.data[i + 1] << 8));
        if (c == 0) break;
        text.push_back(c);
    }
    return text;
}

namespace {
std::u16string lowered(std::u16string s) {
    for (auto& c : s) c = foldCase(c);
    return s;
}
}  // namespace

void FakeIni::set(const std::u16string& file, const std::u16string& section, const std::u16string& key,
                  const std::u16string& value) {
    files[file][lowered(section) + u"/" + lowered(key)] = value;
}

std::u16string FakeIni::getString(const std::u16string& file, const std::u16string& section, const std::u16string& key,
                                  const std::u16string& defaultValue) {
    auto f = files.find(file);
    if (f == files.end()) return defaultValue;
    auto v = f->second.find(lowered(section) + u"/" + lowered(key));
    return v == f->second.end() ? defaultValue : v->second;
}

std::string FakeIni::whyUnreadable(const std::u16string& file) {
    const auto f = unreadable.find(file);
    return f == unreadable.end() ? std::string() : f->second;
}

void FakeFiles::appendToFile(const std::u16string& path, const std::string& bytes) {
    if (failWith) throw Error(*failWith);
    operations.push_back(u"append:" + path);
    contents[path] += bytes;
}

void FakeFiles::writeWholeFile(const std::u16string& path, const std::string& bytes) {
    if (failWith) throw Error(*failWith);
    operations.push_back(u"write:" + path);
    contents[path] = bytes;
}

std::string FakeAnsi::encode(std::u16string_view text, bool) {
    std::string out;
    for (char16_t c : text) out.push_back(c <= 0xFF ? static_cast<char>(c) : '?');
    return out;
}

std::u16string FakeAnsi::decode(std::string_view bytes) {
    std::u16string out;
    for (char b : bytes) out.push_back(static_cast<unsigned char>(b));
    return out;
}

namespace {
std::u16string twoDigits(int v) { return u16((v < 10 ? "0" : "") + std::to_string(v)); }
}  // namespace

std::u16string FakeLocale::formatShortDate(const LocalDateTime& t) {
    return u16(std::to_string(t.day) + "/" + std::to_string(t.month) + "/" + std::to_string(t.year));
}

std::u16string FakeLocale::formatLongTime(const LocalDateTime& t) {
    return u16(std::to_string(t.hour)) + u":" + twoDigits(t.minute) + u":" + twoDigits(t.second);
}

void FakePrinters::writeDefaultDeviceEntry(const std::u16string& value) {
    if (writeFailure) throw Error(*writeFailure);
    profileWrites.push_back(value);
    if (applyWrites) defaultName = value.substr(0, value.find(u','));
}

void FakeClipboard::setText(const std::u16string& text) {
    if (failWith) throw Error(*failWith);
    texts.push_back(text);
}

void FakeDialogs::showMessage(const std::u16string& text, MessagePlacement placement) {
    shown.push_back({text, false, placement});
}

void FakeDialogs::showError(const std::u16string& text) { shown.push_back({text, true, MessagePlacement::Default}); }

std::optional<std::u16string> FakeDialogs::chooseFileOrFolder(bool folderMode) {
    dialogModes.push_back(folderMode);
    if (answers.empty()) return std::nullopt;
    auto answer = answers.front();
    answers.erase(answers.begin());
    return answer;
}

void FakeBrowser::print(const PageSetupValues& pageSetup, const std::u16string& printer) {
    if (printFailure) throw Error(*printFailure);
    ++prints;
    printedWith.push_back(pageSetup);
    printedOn.push_back(printer);
}

void FakeBrowser::ensureViewable() {
    if (notViewable) throw Error(*notViewable);
}

bool FakeInstances::isRunning(const std::u16string& token) {
    return std::find(running.begin(), running.end(), token) != running.end();
}

void FakePlatform::enableLog() { registry.setString(kVeltraneKey, u"logging_enabled", u"True"); }

std::u16string FakePlatform::logPath() const {
    return folders.commonDocuments + platform::kPathDelimiter + u"clienttools.log";
}

std::vector<std::string> FakePlatform::logLines() const {
    std::vector<std::string> lines;
    auto it = files.contents.find(logPath());
    if (it == files.contents.end()) return lines;
    const std::string& all = it->second;
    std::size_t start = 0;
    while (start < all.size()) {
        std::size_t end = all.find("\r\n", start);
        if (end == std::string::npos) end = all.size();
        std::string line = all.substr(start, end - start);
        const auto sep = line.find(": ");
        lines.push_back(sep == std::string::npos ? line : line.substr(sep + 2));
        start = end + 2;
    }
    return lines;
}

}  // namespace veltrane::fakes
