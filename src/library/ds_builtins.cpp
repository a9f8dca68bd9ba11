// Argument handling of the ds_* built-ins; the containers do the work. Ids,
// positions and cell coordinates are rounded to the nearest integer (ties to
// even); ds_list_find_index and ds_grid_sort truncate, as games expect. An
// id that names nothing is reported and the built-in does nothing else.
#include "library/ds_builtins.h"

#include "script/arguments.h"
#include "library/ds.h"
#include "library/ds_grid.h"
#include "library/ds_map.h"
#include "library/ds_text.h"

namespace bw {

namespace {

// The pool of each kind, for the built-ins that every kind shares.
template <typename T>
DataStructurePool<T>& PoolOf();
template <>
DataStructurePool<CDS_Stack>& PoolOf()
{
    return DS_StackPool();
}
template <>
DataStructurePool<CDS_Queue>& PoolOf()
{
    return DS_QueuePool();
}
template <>
DataStructurePool<CDS_List>& PoolOf()
{
    return DS_ListPool();
}
template <>
DataStructurePool<CDS_Priority>& PoolOf()
{
    return DS_PriorityPool();
}
template <>
DataStructurePool<CDS_Map>& PoolOf()
{
    return DS_MapPool();
}
template <>
DataStructurePool<CDS_Grid>& PoolOf()
{
    return DS_GridPool();
}

template <typename T>
T* Lookup(int32_t id)
{
    T* object = PoolOf<T>().Get(id);
    if (object == nullptr) {
        DS_ReportMissing();
    }
    return object;
}

template <typename T>
T* Lookup(const Value& arg)
{
    return Lookup<T>(Arg_Round(arg));
}

// A stored entry handed to game code, or the real 0 when there is none.
void SetEntry(Value* result, const Value* entry)
{
    if (entry != nullptr) {
        Result_SetPlainCopy(result, *entry);
    }
}

// An entry moved out of a container straight into the result.
void StripFlags(Value* result)
{
    result->kind &= kValueKindMask;
}

std::string TextOf(const CDS_Stack& stack)
{
    return stack.Write();
}
template <typename T>
std::string TextOf(const T& container)
{
    return container.WriteToString();
}


// ---- shared by stacks, queues, lists and priority queues ----

template <typename T>
BW_BUILTIN(Create)
{
    result->real = PoolOf<T>().Create();
}

// Destroying an emptied slot inside the pool is silent for kinds where games
// commonly destroy twice (lists and maps); elsewhere it is reported.
template <typename T, bool kSilentWhenEmptied>
BW_BUILTIN(Destroy)
{
    const int32_t id = Arg_Round(args[0]);
    if (kSilentWhenEmptied && PoolOf<T>().InRange(id)) {
        PoolOf<T>().Destroy(id);
        return;
    }
    if (Lookup<T>(id) != nullptr) {
        PoolOf<T>().Destroy(id);
    }
}

template <typename T>
BW_BUILTIN(Clear)
{
    if (T* container = Lookup<T>(args[0])) {
        container->Clear();
    }
}

template <typename T>
BW_BUILTIN(Copy)
{
    T* dest = Lookup<T>(args[0]);
    const T* source = dest != nullptr ? Lookup<T>(args[1]) : nullptr;
    if (source != nullptr) {
        dest->Copy(*source);
    }
}

template <typename T>
BW_BUILTIN(Size)
{
    if (const T* container = Lookup<T>(args[0])) {
        result->real = container->Size();
    }
}

template <typename T>
BW_BUILTIN(Empty)
{
    if (const T* container = Lookup<T>(args[0])) {
        Result_SetBool(result, container->Empty());
    }
}

template <typename T>
BW_BUILTIN(Write)
{
    if (const T* container = Lookup<T>(args[0])) {
        Result_SetString(result, TextOf(*container).c_str());
    }
}

template <typename T>
BW_BUILTIN(Read)
{
    if (T* container = Lookup<T>(args[0])) {
        if (Arg_IsString(args[1]) && args[1].ptr != nullptr) {
            container->ReadFromString(Value_String(args[1]));
        }
    }
}

// ---- stacks ----

BW_BUILTIN(StackPush)
{
    if (CDS_Stack* stack = Lookup<CDS_Stack>(args[0])) {
        stack->Push(args[1]);
    }
}

BW_BUILTIN(StackPop)
{
    if (CDS_Stack* stack = Lookup<CDS_Stack>(args[0]); stack != nullptr && stack->Pop(*result)) {
        StripFlags(result);
    }
}

BW_BUILTIN(StackTop)
{
    if (const CDS_Stack* stack = Lookup<CDS_Stack>(args[0])) {
        SetEntry(result, stack->Top());
    }
}

// ---- queues ----

BW_BUILTIN(QueueEnqueue)
{
    if (CDS_Queue* queue = Lookup<CDS_Queue>(args[0])) {
        queue->Enqueue(args[1]);
    }
}

BW_BUILTIN(QueueDequeue)
{
    if (CDS_Queue* queue = Lookup<CDS_Queue>(args[0]); queue != nullptr && queue->Dequeue(*result)) {
        StripFlags(result);
    }
}

BW_BUILTIN(QueueHead)
{
    if (const CDS_Queue* queue = Lookup<CDS_Queue>(args[0])) {
        SetEntry(result, queue->Head());
    }
}

BW_BUILTIN(QueueTail)
{
    if (const CDS_Queue* queue = Lookup<CDS_Queue>(args[0])) {
        SetEntry(result, queue->Tail());
    }
}

// ---- lists ----

BW_BUILTIN(ListAdd)
{
    if (CDS_List* list = Lookup<CDS_List>(args[0])) {
        list->Add(args[1]);
    }
}

BW_BUILTIN(ListInsert)
{
    if (CDS_List* list = Lookup<CDS_List>(args[0])) {
        list->Insert(Arg_Round(args[1]), args[2]);
    }
}

BW_BUILTIN(ListReplace)
{
    if (CDS_List* list = Lookup<CDS_List>(args[0])) {
        list->Replace(Arg_Round(args[1]), args[2]);
    }
}

BW_BUILTIN(ListDelete)
{
    if (CDS_List* list = Lookup<CDS_List>(args[0])) {
        list->Delete(Arg_Round(args[1]));
    }
}

BW_BUILTIN(ListFindIndex)
{
    if (const CDS_List* list = Lookup<CDS_List>(Arg_Trunc(args[0]))) {
        result->real = list->Find(args[1]);
    }
}

BW_BUILTIN(ListFindValue)
{
    if (const CDS_List* list = Lookup<CDS_List>(args[0])) {
        SetEntry(result, list->GetValue(Arg_Round(args[1])));
    }
}

BW_BUILTIN(ListSort)
{
    if (CDS_List* list = Lookup<CDS_List>(args[0])) {
        list->Sort(args[1].real >= 0.5);
    }
}

BW_BUILTIN(ListShuffle)
{
    if (CDS_List* list = Lookup<CDS_List>(args[0])) {
        list->Shuffle();
    }
}

// ---- maps ----

BW_BUILTIN(MapCreate)
{
    // Other subsystems call it with the bucket count as the one argument.
    result->real = argc == 1 ? DS_Map_CreateSized(Real_TruncToInt64(args[0].real)) : DS_Map_Create();
}

BW_BUILTIN(MapClear)
{
    if (CDS_Map* map = Lookup<CDS_Map>(args[0])) {
        DS_Map_Clear(map);
    }
}

BW_BUILTIN(MapCopy)
{
    CDS_Map* dest = Lookup<CDS_Map>(args[0]);
    const CDS_Map* source = dest != nullptr ? Lookup<CDS_Map>(args[1]) : nullptr;
    if (source != nullptr) {
        DS_Map_Copy(dest, source);
    }
}

BW_BUILTIN(MapSize)
{
    if (const CDS_Map* map = Lookup<CDS_Map>(args[0])) {
        result->real = DS_Map_Size(map);
    }
}

BW_BUILTIN(MapEmpty)
{
    if (const CDS_Map* map = Lookup<CDS_Map>(args[0])) {
        Result_SetBool(result, DS_Map_Empty(map));
    }
}

BW_BUILTIN(MapAdd)
{
    if (CDS_Map* map = Lookup<CDS_Map>(args[0])) {
        Result_SetBool(result, DS_Map_Add(map, args[1], args[2]));
    }
}

BW_BUILTIN(MapReplace)
{
    if (CDS_Map* map = Lookup<CDS_Map>(args[0])) {
        Result_SetBool(result, DS_Map_Replace(map, args[1], args[2]));
    }
}

BW_BUILTIN(MapDelete)
{
    if (CDS_Map* map = Lookup<CDS_Map>(args[0])) {
        DS_Map_Delete(map, args[1]);
    }
}

BW_BUILTIN(MapExists)
{
    if (CDS_Map* map = Lookup<CDS_Map>(args[0])) {
        Result_SetBool(result, DS_Map_Exists(map, args[1]));
    }
}

BW_BUILTIN(MapFindValue)
{
    if (CDS_Map* map = Lookup<CDS_Map>(args[0])) {
        SetEntry(result, DS_Map_Find(map, args[1]));
    }
}

BW_BUILTIN(MapFindPrevious)
{
    if (const CDS_Map* map = Lookup<CDS_Map>(args[0])) {
        SetEntry(result, DS_Map_FindPrevious(map, args[1]));
    }
}

BW_BUILTIN(MapFindNext)
{
    if (const CDS_Map* map = Lookup<CDS_Map>(args[0])) {
        SetEntry(result, DS_Map_FindNext(map, args[1]));
    }
}

BW_BUILTIN(MapFindFirst)
{
    if (const CDS_Map* map = Lookup<CDS_Map>(args[0])) {
        SetEntry(result, DS_Map_FindFirst(map));
    }
}

BW_BUILTIN(MapFindLast)
{
    if (const CDS_Map* map = Lookup<CDS_Map>(args[0])) {
        SetEntry(result, DS_Map_FindLast(map));
    }
}

BW_BUILTIN(MapWrite)
{
    if (const CDS_Map* map = Lookup<CDS_Map>(args[0])) {
        Result_SetString(result, DS_Map_WriteToString(map).c_str());
    }
}

BW_BUILTIN(MapRead)
{
    if (CDS_Map* map = Lookup<CDS_Map>(args[0]); map != nullptr && Arg_IsString(args[1])) {
        DS_Map_ReadFromString(map, Value_String(args[1]));
    }
}

// ---- priority queues ----

BW_BUILTIN(PriorityAdd)
{
    if (CDS_Priority* priority = Lookup<CDS_Priority>(args[0])) {
        priority->Add(args[1], args[2]);
    }
}

BW_BUILTIN(PriorityChange)
{
    if (CDS_Priority* priority = Lookup<CDS_Priority>(args[0])) {
        priority->ChangePriority(args[1], args[2]);
    }
}

BW_BUILTIN(PriorityFind)
{
    if (const CDS_Priority* priority = Lookup<CDS_Priority>(args[0])) {
        SetEntry(result, priority->FindPriority(args[1]));
    }
}

BW_BUILTIN(PriorityDeleteValue)
{
    if (CDS_Priority* priority = Lookup<CDS_Priority>(args[0])) {
        priority->DeleteValue(args[1]);
    }
}

template <bool kMin>
BW_BUILTIN(PriorityDeleteExtreme)
{
    CDS_Priority* priority = Lookup<CDS_Priority>(args[0]);
    if (priority != nullptr && (kMin ? priority->DeleteMin(*result) : priority->DeleteMax(*result))) {
        StripFlags(result);
    }
}

template <bool kMin>
BW_BUILTIN(PriorityFindExtreme)
{
    if (const CDS_Priority* priority = Lookup<CDS_Priority>(args[0])) {
        SetEntry(result, kMin ? priority->FindMin() : priority->FindMax());
    }
}

// ---- grids ----

BW_BUILTIN(GridCreate)
{
    const int32_t width = Arg_Round(args[0]);
    const int32_t height = Arg_Round(args[1]);
    result->real = DS_Grid_SizeAcceptable(width, height) ? DS_GridPool().Add(std::make_unique<CDS_Grid>(width, height))
                                                         : -1;
}

BW_BUILTIN(GridCopy)
{
    CDS_Grid* dest = Lookup<CDS_Grid>(args[0]);
    const CDS_Grid* source = dest != nullptr ? Lookup<CDS_Grid>(args[1]) : nullptr;
    if (source != nullptr) {
        dest->Copy(*source);
    }
}

BW_BUILTIN(GridResize)
{
    if (CDS_Grid* grid = Lookup<CDS_Grid>(args[0])) {
        grid->Resize(Arg_Round(args[1]), Arg_Round(args[2]));
    }
}

BW_BUILTIN(GridWidth)
{
    if (const CDS_Grid* grid = Lookup<CDS_Grid>(args[0])) {
        result->real = grid->Width();
    }
}

BW_BUILTIN(GridHeight)
{
    if (const CDS_Grid* grid = Lookup<CDS_Grid>(args[0])) {
        result->real = grid->Height();
    }
}

BW_BUILTIN(GridClear)
{
    if (CDS_Grid* grid = Lookup<CDS_Grid>(args[0])) {
        grid->Clear(args[1]);
    }
}

template <GridOperation kOperation>
BW_BUILTIN(GridSetCell)
{
    const int32_t id = Arg_Round(args[0]);
    if (CDS_Grid* grid = Lookup<CDS_Grid>(id)) {
        grid->Set(id, kOperation, Arg_Round(args[1]), Arg_Round(args[2]), args[3]);
    }
}

template <GridOperation kOperation>
BW_BUILTIN(GridSetRegion)
{
    if (CDS_Grid* grid = Lookup<CDS_Grid>(args[0])) {
        grid->SetRegion(kOperation, Arg_Round(args[1]), Arg_Round(args[2]), Arg_Round(args[3]), Arg_Round(args[4]),
                        args[5]);
    }
}

template <GridOperation kOperation>
BW_BUILTIN(GridSetDisk)
{
    if (CDS_Grid* grid = Lookup<CDS_Grid>(args[0])) {
        grid->SetDisk(kOperation, args[1].real, args[2].real, args[3].real, args[4]);
    }
}

template <GridOperation kOperation>
BW_BUILTIN(GridSetGridRegion)
{
    CDS_Grid* grid = Lookup<CDS_Grid>(args[0]);
    const CDS_Grid* source = grid != nullptr ? Lookup<CDS_Grid>(args[1]) : nullptr;
    if (source != nullptr) {
        grid->SetGridRegion(kOperation, *source, Arg_Round(args[2]), Arg_Round(args[3]), Arg_Round(args[4]),
                            Arg_Round(args[5]), Arg_Round(args[6]), Arg_Round(args[7]));
    }
}

BW_BUILTIN(GridGet)
{
    const int32_t id = Arg_Round(args[0]);
    if (const CDS_Grid* grid = Lookup<CDS_Grid>(id)) {
        SetEntry(result, grid->Get(id, Arg_Round(args[1]), Arg_Round(args[2])));
    }
}

template <CDS_Grid::Statistic kStatistic>
BW_BUILTIN(GridStatistic)
{
    if (const CDS_Grid* grid = Lookup<CDS_Grid>(args[0])) {
        result->real = grid->GetStatistic(kStatistic, Arg_Round(args[1]), Arg_Round(args[2]), Arg_Round(args[3]),
                                          Arg_Round(args[4]));
    }
}

template <CDS_Grid::Statistic kStatistic>
BW_BUILTIN(GridDiskStatistic)
{
    if (const CDS_Grid* grid = Lookup<CDS_Grid>(args[0])) {
        result->real = grid->GetDiskStatistic(kStatistic, args[1].real, args[2].real, args[3].real);
    }
}

// What a value search answers: 1 / the column / the row of the first match.
enum class Answer { kExists, kX, kY };

void SetSearchAnswer(Value* result, Answer answer, bool found, int32_t x, int32_t y)
{
    if (!found) {
        return;
    }
    result->real = answer == Answer::kExists ? 1.0 : (answer == Answer::kX ? x : y);
}

template <Answer kAnswer>
BW_BUILTIN(GridValue)
{
    if (const CDS_Grid* grid = Lookup<CDS_Grid>(args[0])) {
        int32_t x = 0, y = 0;
        const bool found = grid->FindValue(Arg_Round(args[1]), Arg_Round(args[2]), Arg_Round(args[3]),
                                           Arg_Round(args[4]), args[5], &x, &y);
        SetSearchAnswer(result, kAnswer, found, x, y);
    }
}

template <Answer kAnswer>
BW_BUILTIN(GridValueDisk)
{
    if (const CDS_Grid* grid = Lookup<CDS_Grid>(args[0])) {
        int32_t x = 0, y = 0;
        const bool found = grid->FindValueInDisk(args[1].real, args[2].real, args[3].real, args[4], &x, &y);
        SetSearchAnswer(result, kAnswer, found, x, y);
    }
}

BW_BUILTIN(GridShuffle)
{
    if (CDS_Grid* grid = Lookup<CDS_Grid>(args[0])) {
        grid->Shuffle();
    }
}

BW_BUILTIN(GridSort)
{
    if (argc != 3 || !Arg_IsReal(args[0]) || !Arg_IsReal(args[1]) || !Arg_IsReal(args[2])) {
        return;
    }
    if (CDS_Grid* grid = Lookup<CDS_Grid>(Arg_Trunc(args[0]))) {
        grid->Sort(Arg_Trunc(args[1]), args[2].real > 0.5);
    }
}

BW_BUILTIN(SetPrecision)
{
    DS_SetPrecision(args[0].real);
}

using Op = GridOperation;
using Stat = CDS_Grid::Statistic;

const BuiltinRegistration kDataStructureBuiltins[] = {
    {"ds_set_precision", SetPrecision, 1},

    {"ds_stack_create", Create<CDS_Stack>, 0},
    {"ds_stack_destroy", Destroy<CDS_Stack, false>, 1},
    {"ds_stack_clear", Clear<CDS_Stack>, 1},
    {"ds_stack_copy", Copy<CDS_Stack>, 2},
    {"ds_stack_size", Size<CDS_Stack>, 1},
    {"ds_stack_empty", Empty<CDS_Stack>, 1},
    {"ds_stack_push", StackPush, 2},
    {"ds_stack_pop", StackPop, 1},
    {"ds_stack_top", StackTop, 1},
    {"ds_stack_write", Write<CDS_Stack>, 1},
    {"ds_stack_read", Read<CDS_Stack>, 2},

    {"ds_queue_create", Create<CDS_Queue>, 0},
    {"ds_queue_destroy", Destroy<CDS_Queue, false>, 1},
    {"ds_queue_clear", Clear<CDS_Queue>, 1},
    {"ds_queue_copy", Copy<CDS_Queue>, 2},
    {"ds_queue_size", Size<CDS_Queue>, 1},
    {"ds_queue_empty", Empty<CDS_Queue>, 1},
    {"ds_queue_enqueue", QueueEnqueue, 2},
    {"ds_queue_dequeue", QueueDequeue, 1},
    {"ds_queue_head", QueueHead, 1},
    {"ds_queue_tail", QueueTail, 1},
    {"ds_queue_write", Write<CDS_Queue>, 1},
    {"ds_queue_read", Read<CDS_Queue>, 2},

    {"ds_list_create", Create<CDS_List>, 0},
    {"ds_list_destroy", Destroy<CDS_List, true>, 1},
    {"ds_list_clear", Clear<CDS_List>, 1},
    {"ds_list_copy", Copy<CDS_List>, 2},
    {"ds_list_size", Size<CDS_List>, 1},
    {"ds_list_empty", Empty<CDS_List>, 1},
    {"ds_list_add", ListAdd, 2},
    {"ds_list_insert", ListInsert, 3},
    {"ds_list_replace", ListReplace, 3},
    {"ds_list_delete", ListDelete, 2},
    {"ds_list_find_index", ListFindIndex, 2},
    {"ds_list_find_value", ListFindValue, 2},
    {"ds_list_sort", ListSort, 2},
    {"ds_list_shuffle", ListShuffle, 1},
    {"ds_list_write", Write<CDS_List>, 1},
    {"ds_list_read", Read<CDS_List>, 2},

    {"ds_map_create", MapCreate, 0},
    {"ds_map_destroy", Destroy<CDS_Map, true>, 1},
    {"ds_map_clear", MapClear, 1},
    {"ds_map_copy", MapCopy, 2},
    {"ds_map_size", MapSize, 1},
    {"ds_map_empty", MapEmpty, 1},
    {"ds_map_add", MapAdd, 3},
    {"ds_map_replace", MapReplace, 3},
    {"ds_map_delete", MapDelete, 2},
    {"ds_map_exists", MapExists, 2},
    {"ds_map_find_value", MapFindValue, 2},
    {"ds_map_find_previous", MapFindPrevious, 2},
    {"ds_map_find_next", MapFindNext, 2},
    {"ds_map_find_first", MapFindFirst, 1},
    {"ds_map_find_last", MapFindLast, 1},
    {"ds_map_write", MapWrite, 1},
    {"ds_map_read", MapRead, 2},

    {"ds_priority_create", Create<CDS_Priority>, 0},
    {"ds_priority_destroy", Destroy<CDS_Priority, false>, 1},
    {"ds_priority_clear", Clear<CDS_Priority>, 1},
    {"ds_priority_copy", Copy<CDS_Priority>, 2},
    {"ds_priority_size", Size<CDS_Priority>, 1},
    {"ds_priority_empty", Empty<CDS_Priority>, 1},
    {"ds_priority_add", PriorityAdd, 3},
    {"ds_priority_change_priority", PriorityChange, 3},
    {"ds_priority_find_priority", PriorityFind, 2},
    {"ds_priority_delete_value", PriorityDeleteValue, 2},
    {"ds_priority_delete_min", PriorityDeleteExtreme<true>, 1},
    {"ds_priority_find_min", PriorityFindExtreme<true>, 1},
    {"ds_priority_delete_max", PriorityDeleteExtreme<false>, 1},
    {"ds_priority_find_max", PriorityFindExtreme<false>, 1},
    {"ds_priority_write", Write<CDS_Priority>, 1},
    {"ds_priority_read", Read<CDS_Priority>, 2},

    {"ds_grid_create", GridCreate, 2},
    {"ds_grid_destroy", Destroy<CDS_Grid, false>, 1},
    {"ds_grid_copy", GridCopy, 2},
    {"ds_grid_resize", GridResize, 3},
    {"ds_grid_width", GridWidth, 1},
    {"ds_grid_height", GridHeight, 1},
    {"ds_grid_clear", GridClear, 2},
    {"ds_grid_set", GridSetCell<Op::kSet>, 4},
    {"ds_grid_add", GridSetCell<Op::kAdd>, 4},
    {"ds_grid_multiply", GridSetCell<Op::kMultiply>, 4},
    {"ds_grid_set_region", GridSetRegion<Op::kSet>, 6},
    {"ds_grid_add_region", GridSetRegion<Op::kAdd>, 6},
    {"ds_grid_multiply_region", GridSetRegion<Op::kMultiply>, 6},
    {"ds_grid_set_disk", GridSetDisk<Op::kSet>, 5},
    {"ds_grid_add_disk", GridSetDisk<Op::kAdd>, 5},
    {"ds_grid_multiply_disk", GridSetDisk<Op::kMultiply>, 5},
    {"ds_grid_set_grid_region", GridSetGridRegion<Op::kSet>, 8},
    {"ds_grid_add_grid_region", GridSetGridRegion<Op::kAdd>, 8},
    {"ds_grid_multiply_grid_region", GridSetGridRegion<Op::kMultiply>, 8},
    {"ds_grid_get", GridGet, 3},
    {"ds_grid_get_sum", GridStatistic<Stat::kSum>, 5},
    {"ds_grid_get_max", GridStatistic<Stat::kMax>, 5},
    {"ds_grid_get_min", GridStatistic<Stat::kMin>, 5},
    {"ds_grid_get_mean", GridStatistic<Stat::kMean>, 5},
    {"ds_grid_get_disk_sum", GridDiskStatistic<Stat::kSum>, 4},
    {"ds_grid_get_disk_max", GridDiskStatistic<Stat::kMax>, 4},
    {"ds_grid_get_disk_min", GridDiskStatistic<Stat::kMin>, 4},
    {"ds_grid_get_disk_mean", GridDiskStatistic<Stat::kMean>, 4},
    {"ds_grid_value_exists", GridValue<Answer::kExists>, 6},
    {"ds_grid_value_x", GridValue<Answer::kX>, 6},
    {"ds_grid_value_y", GridValue<Answer::kY>, 6},
    {"ds_grid_value_disk_exists", GridValueDisk<Answer::kExists>, 5},
    {"ds_grid_value_disk_x", GridValueDisk<Answer::kX>, 5},
    {"ds_grid_value_disk_y", GridValueDisk<Answer::kY>, 5},
    {"ds_grid_shuffle", GridShuffle, 1},
    {"ds_grid_sort", GridSort, 3},
    {"ds_grid_write", Write<CDS_Grid>, 1},
    {"ds_grid_read", Read<CDS_Grid>, 2},
};

}  // namespace

void Function_Data_Structures_Register()
{
    Builtins_Register(kDataStructureBuiltins);
}

}  // namespace bw
