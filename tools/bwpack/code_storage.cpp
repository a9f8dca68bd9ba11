#include "bwpack/code_storage.h"

#include "world/event_names.h"
#include "world/game_state.h"
#include "world/object.h"

namespace bw::pack {

std::string ActionUnitName(const Project& project, int32_t owner, int32_t type, int32_t number)
{
    const ObjectNamer objectName = [&project](int32_t index) {
        if (index >= 0 && static_cast<size_t>(index) < project.objects.size()) {
            return project.objects[static_cast<size_t>(index)].name;
        }
        // A moment's owner is a timeline's index, which need not be an
        // object's: the runner's own answer for an object it does not have.
        return std::string(Object_Name(index));
    };
    // The runner compiles every action under its current action number,
    // which no event sets: the number it starts with.
    return Event_ActionUnitName(owner, type, number, CurrentEvent{}.action, objectName);
}

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
