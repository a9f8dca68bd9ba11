// Reads arbitrary text as every container's text form. A text a container
// accepts must write back to a form that reads to the same text again.
#include <cstdint>
#include <string>

#include "library/ds.h"
#include "library/ds_grid.h"
#include "library/ds_map.h"
#include "library/ds_text.h"

namespace {

template <typename Container, typename Write>
void CheckRoundTrip(Container& container, const std::string& text, Write write)
{
    if (!container.ReadFromString(text.c_str())) return;
    const std::string written = write(container);
    Container again;
    if (!again.ReadFromString(written.c_str()) || write(again) != written) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);

    bw::CDS_Stack stack;
    CheckRoundTrip(stack, text, [](const bw::CDS_Stack& s) { return s.Write(); });
    bw::CDS_Queue queue;
    CheckRoundTrip(queue, text, [](const bw::CDS_Queue& q) { return q.WriteToString(); });
    bw::CDS_List list;
    CheckRoundTrip(list, text, [](const bw::CDS_List& l) { return l.WriteToString(); });
    list.Sort(true);
    bw::CDS_Priority priority;
    CheckRoundTrip(priority, text, [](const bw::CDS_Priority& p) { return p.WriteToString(); });
    bw::Value out{};
    priority.DeleteMin(out);
    bw::Value_Free(out);

    // A grid has no default constructor; read into a small one.
    bw::CDS_Grid grid(1, 1);
    if (grid.ReadFromString(text.c_str())) {
        const std::string written = grid.WriteToString();
        bw::CDS_Grid again(0, 0);
        if (!again.ReadFromString(written.c_str()) || again.WriteToString() != written) __builtin_trap();
        grid.Sort(0, true);
    }

    bw::CDS_Map map(64);
    bw::DS_Map_ReadFromString(&map, text.c_str());
    const std::string written = bw::DS_Map_WriteToString(&map);
    bw::CDS_Map again(64);
    bw::DS_Map_ReadFromString(&again, written.c_str());
    if (bw::DS_Map_Size(&again) != bw::DS_Map_Size(&map)) __builtin_trap();
    return 0;
}
