// IniFile: the classic text of "[section]" headers and "key=value" lines, as
// read from "options.ini" beside the package and from the game's own ini
// files (or ini text held in a string).
//
// Reading: text before the first section is ignored; '#' and ';' start a
// comment that runs to the line end, also behind a value; a value may be put
// in double or single quotes to keep blanks, '#' and ';' (the rest of its
// line is then ignored); a line without '=' and a key with an empty value
// are not keys. A section or key that appears twice is one section or key,
// the later value winning. Files are read from the save area when they exist
// there, else from the program area, and written to the save area.
//
// Every new section and key, read or written, goes to the head of its list,
// so the text written lists the newest first (a file read and written again
// comes out with its sections and keys in reverse order). A value that would
// not read back the same (one holding a comment start, say) is written in
// quotes.
#pragma once

#include <cstdint>
#include <list>
#include <string>
#include <string_view>

namespace bw {

struct IniKey {
    std::string name;
    std::string value;
};

struct IniSection {
    std::string name;
    std::list<IniKey> keys;
};

class IniFile {
public:
    // An ini with no file; its text comes through SetText.
    IniFile() = default;
    // Keeps the name and reads and parses the file at once. With show set
    // the text read is logged first.
    IniFile(const char* fileName, bool show);
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    // Forgets the file name and everything read.
    void InitEmpty();
    // Parses text (a copy is kept while parsing) into the sections.
    void SetText(const char* text);

    // Names are compared exactly, case included; null when missing.
    IniSection* FindSection(const char* section);
    IniKey* FindKey(const char* section, const char* key);
    // The value, else the default.
    const char* ReadString(const char* section, const char* key, const char* defaultValue);
    // Leading digits of the value as an integer (values beyond the 32-bit
    // range saturate), else the default.
    int32_t ReadInteger(const char* section, const char* key, int32_t defaultValue);
    // The leading number of the value as a float, else the default.
    float ReadFloat(const char* section, const char* key, float defaultValue);

    // Sets or adds the key (and its section). The section "SYSTEM_COMMAND"
    // holds no keys: its key "INI_FILE_FLUSH" with the value "NOW" writes the
    // file at once. False for a null section or key.
    bool WriteString(const char* section, const char* key, const char* value);
    // False when there was nothing to delete.
    bool DeleteKey(const char* section, const char* key);
    bool DeleteSection(const char* section);

    // The whole text (CR LF line ends) as a new memory-manager block the
    // caller frees; when anything changed and the ini has a file, the text is
    // written to the save area first.
    char* Flush();
    // Drops every section and key.
    void Clear();

private:
    // Reads the file's text: save area first, then program area. False when
    // it is in neither.
    bool LoadText();
    void Parse();
    IniSection& SectionForWrite(const char* section);

    std::string m_fileName;
    bool m_hasFileName = false;
    std::string m_text;
    bool m_hasText = false;
    std::list<IniSection> m_sections;
    bool m_changed = false;
};

}  // namespace bw
