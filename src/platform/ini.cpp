#include "platform/ini.h"

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

#include "platform/console.h"
#include "platform/files.h"
#include "platform/memory.h"

namespace bw {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }
bool IsCommentStart(char c) { return c == '#' || c == ';'; }

std::string_view TrimTrailingBlanks(std::string_view text)
{
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// One pass over an ini text into a list of sections. Each new section and key
// goes to the head of its list, as written ones do. Sections and keys are
// indexed while parsing so that a large file stays linear to read.
class IniParser {
public:
    IniParser(std::string_view text, std::list<IniSection>* sections) : m_text(text), m_sections(sections)
    {
        for (IniSection& section : *sections) m_index[section.name] = {&section, {}};
    }

    void Run()
    {
        if (m_text.substr(0, 3) == "\xEF\xBB\xBF") m_position = 3;
        m_position = m_text.find('[', m_position);
        if (m_position == std::string_view::npos || !ReadSectionHeader()) return;
        for (;;) {
            SkipBlanksAndComments();
            if (AtEnd()) return;
            if (m_text[m_position] == '[') {
                if (!ReadSectionHeader()) return;
            } else {
                ReadKeyLine();
            }
        }
    }

private:
    struct IndexedSection {
        IniSection* section;
        std::unordered_map<std::string, IniKey*> keys;
    };

    bool AtEnd() const { return m_position >= m_text.size(); }

    // Skips blanks, line ends and comments; true when a line end was passed.
    bool SkipBlanksAndComments()
    {
        bool crossedLineEnd = false;
        while (!AtEnd()) {
            char c = m_text[m_position];
            if (IsBlank(c)) {
                ++m_position;
            } else if (IsLineEnd(c)) {
                crossedLineEnd = true;
                ++m_position;
            } else if (IsCommentStart(c)) {
                m_position = LineEnd(m_position);
            } else {
                break;
            }
        }
        return crossedLineEnd;
    }

    size_t LineEnd(size_t from) const
    {
        size_t end = m_text.find_first_of("\r\n", from);
        return end == std::string_view::npos ? m_text.size() : end;
    }

    // At a '[': the name runs to the next ']'. False when there is none.
    bool ReadSectionHeader()
    {
        size_t close = m_text.find(']', m_position + 1);
        if (close == std::string_view::npos) return false;
        std::string name(m_text.substr(m_position + 1, close - m_position - 1));
        m_position = close + 1;
        auto found = m_index.find(name);
        if (found == m_index.end()) {
            IniSection& section = m_sections->emplace_front();
            section.name = name;
            found = m_index.emplace(name, IndexedSection{&section, {}}).first;
        }
        m_current = &found->second;
        return true;
    }

    void ReadKeyLine()
    {
        size_t lineEnd = LineEnd(m_position);
        size_t equals = m_text.find('=', m_position);
        if (equals == std::string_view::npos || equals > lineEnd) {
            m_position = lineEnd;
            return;
        }
        std::string_view name = TrimTrailingBlanks(m_text.substr(m_position, equals - m_position));
        m_position = equals + 1;
        if (SkipBlanksAndComments() || AtEnd()) return;  // an empty value holds no key
        AddKey(name, ReadValue());
    }

    std::string_view ReadValue()
    {
        char first = m_text[m_position];
        if (first == '"' || first == '\'') {
            size_t start = m_position + 1;
            size_t end = m_text.find_first_of(first == '"' ? "\"\r\n" : "'\r\n", start);
            if (end == std::string_view::npos) end = m_text.size();
            m_position = (end < m_text.size() && m_text[end] == first) ? LineEnd(end) : end;
            return m_text.substr(start, end - start);
        }
        size_t end = m_text.find_first_of("\r\n#;", m_position);
        if (end == std::string_view::npos) end = m_text.size();
        std::string_view value = TrimTrailingBlanks(m_text.substr(m_position, end - m_position));
        m_position = end;
        return value;
    }

    void AddKey(std::string_view name, std::string_view value)
    {
        std::string keyName(name);
        auto found = m_current->keys.find(keyName);
        if (found != m_current->keys.end()) {
            found->second->value = std::string(value);
            return;
        }
        IniKey& key = m_current->section->keys.emplace_front();
        key.name = keyName;
        key.value = std::string(value);
        m_current->keys.emplace(std::move(keyName), &key);
    }

    std::string_view m_text;
    size_t m_position = 0;
    std::list<IniSection>* m_sections;
    std::unordered_map<std::string, IndexedSection> m_index;
    IndexedSection* m_current = nullptr;
};

// A value reads back as written only when it is not empty, has no blank at
// either end (reading trims them), holds no comment start and does not begin
// with a quote; any other value is quoted, with a quote it does not hold. A
// value holding both quotes cannot be kept whole and is written bare, as the
// format writes every value: a quoted speech then reads back to its closing
// quote instead of to the first apostrophe inside it.
void AppendValue(std::string* text, const std::string& value)
{
    const bool plain = !value.empty() && !IsBlank(value.front()) && !IsBlank(value.back()) &&
                       value.front() != '"' && value.front() != '\'' && value.find_first_of("#;") == std::string::npos;
    const bool quotable = value.find('"') == std::string::npos || value.find('\'') == std::string::npos;
    if (plain || !quotable) {
        *text += value;
        return;
    }
    const char quote = value.find('"') == std::string::npos ? '"' : '\'';
    *text += quote;
    *text += value;
    *text += quote;
}

// strtod's answer as a float: beyond the float range it becomes an infinity,
// as the processor's own conversion would give, never an undefined cast.
float ToFloat(double value)
{
    if (value > FLT_MAX) return HUGE_VALF;
    if (value < -FLT_MAX) return -HUGE_VALF;
    return static_cast<float>(value);
}

}  // namespace

IniFile::IniFile(const char* fileName, bool show)
{
    m_hasFileName = fileName != nullptr;
    if (m_hasFileName) m_fileName = fileName;
    if (show && LoadText()) Console().Printf("%s file contents: %s\n", m_fileName.c_str(), m_text.c_str());
    Parse();
}

void IniFile::InitEmpty()
{
    Clear();
    m_fileName.clear();
    m_hasFileName = false;
    m_changed = false;
}

void IniFile::SetText(const char* text)
{
    m_text = text != nullptr ? text : "";
    m_hasText = true;
    Parse();
}

bool IniFile::LoadText()
{
    if (m_hasText) return true;
    if (!m_hasFileName) return false;
    size_t size = 0;
    uint8_t* data = LoadSave_ReadSaveFile(m_fileName.c_str(), &size);
    if (data == nullptr) data = LoadSave_ReadBundleFile(m_fileName.c_str(), &size);
    if (data == nullptr) return false;
    m_text.assign(reinterpret_cast<const char*>(data), size);
    MemoryManager_Free(data);
    m_hasText = true;
    return true;
}

void IniFile::Parse()
{
    if (!LoadText()) return;
    IniParser(m_text, &m_sections).Run();
    m_text.clear();
    m_text.shrink_to_fit();
    m_hasText = false;
}

IniSection* IniFile::FindSection(const char* section)
{
    if (section == nullptr) return nullptr;
    for (IniSection& candidate : m_sections) {
        if (candidate.name == section) return &candidate;
    }
    return nullptr;
}

IniKey* IniFile::FindKey(const char* section, const char* key)
{
    IniSection* found = FindSection(section);
    if (found == nullptr || key == nullptr) return nullptr;
    for (IniKey& candidate : found->keys) {
        if (candidate.name == key) return &candidate;
    }
    return nullptr;
}

const char* IniFile::ReadString(const char* section, const char* key, const char* defaultValue)
{
    IniKey* found = FindKey(section, key);
    return found != nullptr ? found->value.c_str() : defaultValue;
}

int32_t IniFile::ReadInteger(const char* section, const char* key, int32_t defaultValue)
{
    IniKey* found = FindKey(section, key);
    if (found == nullptr) return defaultValue;
    long long value = std::strtoll(found->value.c_str(), nullptr, 10);
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(value);
}

float IniFile::ReadFloat(const char* section, const char* key, float defaultValue)
{
    IniKey* found = FindKey(section, key);
    return found != nullptr ? ToFloat(std::strtod(found->value.c_str(), nullptr)) : defaultValue;
}

IniSection& IniFile::SectionForWrite(const char* section)
{
    IniSection* found = FindSection(section);
    if (found != nullptr) return *found;
    IniSection& created = m_sections.emplace_front();
    created.name = section;
    return created;
}

bool IniFile::WriteString(const char* section, const char* key, const char* value)
{
    m_changed = true;
    if (section != nullptr && std::strcmp(section, "SYSTEM_COMMAND") == 0) {
        if (key != nullptr && value != nullptr && std::strcmp(key, "INI_FILE_FLUSH") == 0 &&
            std::strcmp(value, "NOW") == 0) {
            MemoryManager_Free(Flush());
        }
        return true;
    }
    if (section == nullptr || key == nullptr) return false;
    IniKey* found = FindKey(section, key);
    if (found == nullptr) {
        found = &SectionForWrite(section).keys.emplace_front();
        found->name = key;
    }
    found->value = value != nullptr ? value : "";
    return true;
}

bool IniFile::DeleteKey(const char* section, const char* key)
{
    IniSection* found = FindSection(section);
    if (found == nullptr || key == nullptr) return false;
    for (auto it = found->keys.begin(); it != found->keys.end(); ++it) {
        if (it->name == key) {
            found->keys.erase(it);
            m_changed = true;
            return true;
        }
    }
    return false;
}

bool IniFile::DeleteSection(const char* section)
{
    if (section == nullptr) return false;
    for (auto it = m_sections.begin(); it != m_sections.end(); ++it) {
        if (it->name == section) {
            m_sections.erase(it);
            m_changed = true;
            return true;
        }
    }
    return false;
}

char* IniFile::Flush()
{
    std::string text;
    for (const IniSection& section : m_sections) {
        text += "[" + section.name + "]\r\n";
        for (const IniKey& key : section.keys) {
            text += key.name + "=";
            AppendValue(&text, key.value);
            text += "\r\n";
        }
    }
    if (m_changed && m_hasFileName) {
        // A write that failed (logged) is tried again at the next flush.
        m_changed = !LoadSave_WriteSaveFile(m_fileName.c_str(), text.data(), text.size());
    }
    auto* block = static_cast<char*>(BW_ALLOC(text.size() + 1, false));
    std::memcpy(block, text.c_str(), text.size() + 1);
    return block;
}

void IniFile::Clear()
{
    m_sections.clear();
    m_text.clear();
    m_hasText = false;
}

}  // namespace bw
