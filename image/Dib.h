// The bitmap block of a decoded frame: header, colour table and bottom-up
// pixel rows in one zero-filled global memory block.
#pragma once

#include "platform/gdi/WinGdi.h"

// Room kept for the colour table in every block, whatever the bit count.
constexpr DWORD DIB_COLOR_TABLE_BYTES = 1024;

// The largest bitmap block made for a frame. A frame's header is untrusted;
// one that declares a larger picture gets no picture, not a giant block.
constexpr long long DIB_MAX_BLOCK_BYTES = 256ll << 20;

constexpr int DibRowBytes(int bitCount, int width) { return static_cast<int>(DibStride(bitCount, width)); }

// What the pixel rows of a new block hold: zeros, or nothing yet, for a
// caller that writes every row's pixels itself (a decoder), which spares
// clearing them first. Every other byte of the block (header, colour
// table, the padding at the end of each row, the spare bytes after the
// rows) starts as zero either way.
enum class DibRows { Zero, ToBeWritten };

// A locked pointer to a new block, or null when it cannot be had.
BITMAPINFO* AllocateDib(int bitCount, int width, int height, DibRows rows = DibRows::Zero);
// Unlocks and frees a block made by AllocateDib.
void FreeDib(BITMAPINFO* info);
// Replaces the colour table by the palette index words 0, 1, ..., n - 1.
int SetColorTableIndices(BITMAPINFO* info);
// Where the pixel rows of a block start.
BYTE* DibBits(BITMAPINFO* info);
