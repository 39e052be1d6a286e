// The block store on a hidden list box. All access goes through messages to
// the list, on the thread that owns the saver window.
#include "content/blockstore.h"

#include <cstring>

#include "content/object_list.h"

namespace {

constexpr DWORD kStoreStyle = WS_CHILD | WS_BORDER | WS_VSCROLL | LBS_HASSTRINGS | LBS_NOTIFY;
static_assert(kStoreStyle == 0x40A00041);

// The record's handle is a fixed block's address, which in the 32-bit
// player (large-address-aware) may lie above 2 GB and so read as negative:
// only 0 and LB_ERR mean that the item has no record.
HGLOBAL ItemRecord(HWND list, int index) {
    LRESULT data = SendMessageA(list, LB_GETITEMDATA, index, 0);
    return data != 0 && data != LB_ERR ? (HGLOBAL)data : 0;
}

void FreeObjectList(HGLOBAL list, int count) {
    if (!list) return;
    APPLETOBJECT object;
    for (int i = 0; i < count; ++i) {
        HGLOBAL data = GetAppletObject(list, i, &object);
        if (data) GlobalFree(data);
    }
    GlobalFree(list);
}

void FreeStore(HWND list) {
    int count = (int)SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) FreeBlock(list, i);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
}

}  // namespace

HWND CreateBlockStore(HWND parent, int id) {
    return CreateWindowExA(0, "LISTBOX", "", kStoreStyle, 0, 0, 1, 1, parent, (HMENU)(INT_PTR)id,
                           (HINSTANCE)GetWindowLongPtrA(parent, GWLP_HINSTANCE), nullptr);
}

HGLOBAL AllocateBlock(HWND list, unsigned index, const BLOCK *initial) {
    HGLOBAL record = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, sizeof(BLOCK));
    if (!record) return 0;
    if (initial) {
        if (BLOCK *target = (BLOCK *)GlobalLock(record)) {
            *target = *initial;
            GlobalUnlock(record);
        }
    }
    if (SendMessageA(list, LB_SETITEMDATA, index, (LPARAM)record) == LB_ERR) {
        GlobalFree(record);
        return 0;
    }
    return record;
}

int AppendBlock(HWND list, BLOCKSET *set, const BLOCK *block) {
    if (!set) return 0;
    LRESULT index = SendMessageA(list, LB_ADDSTRING, 0, (LPARAM) " ");
    if (index < 0) return 0;
    if (!AllocateBlock(list, (unsigned)index, block)) {
        SendMessageA(list, LB_DELETESTRING, index, 0);
        return 0;
    }
    return (int)index + 1;
}

int GetBlock(HWND list, int index, BLOCK *out) {
    HGLOBAL record = ItemRecord(list, index);
    if (!record) return 0;
    const BLOCK *source = (const BLOCK *)GlobalLock(record);
    if (!source) return 0;
    *out = *source;
    GlobalUnlock(record);
    return 1;
}

int PutBlock(HWND list, int index, const BLOCK *in) {
    HGLOBAL record = ItemRecord(list, index);
    if (!record) return 0;
    if (BLOCK *target = (BLOCK *)GlobalLock(record)) {
        *target = *in;
        GlobalUnlock(record);
    }
    return 1;
}

int FreeBlock(HWND list, int index) {
    BLOCK copy;
    if (GetBlock(list, index, &copy)) DestroyBlock(&copy);
    if (HGLOBAL record = ItemRecord(list, index)) {
        GlobalFree(record);
        // The item stays; clear its data so nothing can free the record twice.
        SendMessageA(list, LB_SETITEMDATA, index, 0);
    }
    return 0;
}

int FreeBlocks(HWND window, BLOCKSET *set) {
    if (!set) return 0;
    std::memset(set, 0, sizeof *set);
    if (HWND list = GetDlgItem(window, IDC_BLOCKSTORE)) FreeStore(list);
    return 0;
}

int DestroyBlock(BLOCK *block) {
    if (block->data) GlobalFree(block->data);
    if (block->auxhandle) GlobalFree(block->auxhandle);
    if (block->auxhandle2) GlobalFree(block->auxhandle2);
    FreeObjectList(block->pictures, block->picturecount);
    FreeObjectList(block->sounds, block->soundcount);
    std::memset(block, 0, sizeof *block);
    return 0;
}
