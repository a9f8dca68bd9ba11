#include "bwpack/code_storage.h"

namespace bw::pack {

Word TextCodeStorage::Store(const std::string& unitName, const CodeText& code)
{
    m_compiler.Parse(code, unitName);
    return m_strings.Ref(code.source);
}

void TextCodeStorage::WriteChunks(PackageWriter& /*writer*/)
{
    // The runner compiles the texts itself; there is nothing more to write.
}

}  // namespace bw::pack
