// The handle table every room keeps its objects in, and the GDI table over it.
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <set>
#include <thread>

#include "platform/gdi/linux/StandInGdi.h"
#include "platform/gdi/linux/GdiObjects.h"
#include "platform/kernel/linux/HandleTable.h"

namespace {

struct Tracked {
    explicit Tracked(std::atomic<bool>& died) : m_died(died) {}
    ~Tracked() { m_died.store(true, std::memory_order_release); }
    int value = 7;
    std::atomic<bool>& m_died;
};

TEST(HandleTable, HandlesAreDistinctAndNeverReused)
{
    HandleTable<void*, int> table(0x100);
    std::set<void*> seen;
    for (int i = 0; i < 100; ++i) {
        void* h = table.insert(std::make_shared<int>(i));
        EXPECT_NE(h, nullptr);
        EXPECT_TRUE(seen.insert(h).second);
        if (i % 2) {
            EXPECT_NE(table.remove(h), nullptr);
        }
    }
    // A closed handle names nothing, and closing it again fails.
    void* h = table.insert(std::make_shared<int>(5));
    ASSERT_NE(table.remove(h), nullptr);
    EXPECT_EQ(table.find(h), nullptr);
    EXPECT_EQ(table.remove(h), nullptr);
    EXPECT_FALSE(seen.count(table.insert(std::make_shared<int>(6))));
}

TEST(HandleTable, TablesWithOneStepAndOtherOffsetsNeverMeet)
{
    HandleTable<std::uintptr_t, int> a(0x1000, 16);
    HandleTable<std::uintptr_t, int> b(0x1004, 16);
    std::set<std::uintptr_t> seen;
    for (int i = 0; i < 50; ++i) {
        EXPECT_TRUE(seen.insert(a.insert(std::make_shared<int>(i))).second);
        EXPECT_TRUE(seen.insert(b.insert(std::make_shared<int>(i))).second);
    }
}

TEST(HandleTable, ClosingWhileAnotherThreadUsesTheObjectKeepsItAliveUntilThatUseEnds)
{
    HandleTable<void*, Tracked> table(0x100);
    std::atomic<bool> died{false};
    void* h = table.insert(std::make_shared<Tracked>(died));

    std::promise<void> lookedUp;
    std::promise<void> closed;
    std::atomic<int> seenValue{0};
    std::thread user([&] {
        auto object = table.find(h);
        lookedUp.set_value();
        closed.get_future().wait();
        // The handle is gone, but this use still has the object.
        seenValue.store(object ? object->value : -1, std::memory_order_release);
    });
    lookedUp.get_future().wait();
    EXPECT_NE(table.remove(h), nullptr);
    EXPECT_EQ(table.find(h), nullptr);
    EXPECT_FALSE(died.load(std::memory_order_acquire));
    closed.set_value();
    user.join();
    EXPECT_EQ(seenValue.load(std::memory_order_acquire), 7);
    EXPECT_TRUE(died.load(std::memory_order_acquire));
}

TEST(HandleTable, ConcurrentInsertsFindsAndRemovesAgree)
{
    HandleTable<void*, int> table(0x100);
    constexpr int kThreads = 4;
    constexpr int kEach = 500;
    std::vector<std::thread> threads;
    std::atomic<int> found{0};
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&table, &found, t] {
            for (int i = 0; i < kEach; ++i) {
                void* h = table.insert(std::make_shared<int>(t * kEach + i));
                if (auto v = table.find(h); v && *v == t * kEach + i) found.fetch_add(1, std::memory_order_relaxed);
                table.remove(h);
            }
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(found.load(), kThreads * kEach);
}

TEST(GdiTable, AContextLookedUpStaysUsableWhenDeletedMeanwhile)
{
    auto surface = std::make_shared<Surface>(4, 4);
    HDC hdc = standin::CreateSurfaceDC(surface, 0, 0, nullptr);
    auto dc = GdiTable::instance().dc(hdc);
    ASSERT_NE(dc, nullptr);
    std::thread deleter([hdc] { EXPECT_TRUE(DeleteDC(hdc)); });
    deleter.join();
    EXPECT_EQ(GdiTable::instance().dc(hdc), nullptr);
    EXPECT_FALSE(DeleteDC(hdc));
    // The caller's reference still reaches the context and its surface.
    EXPECT_EQ(dc->surface, surface);
    EXPECT_EQ(dc->paintable().right, 4);
}

TEST(GdiTable, HandlesOfOneKindAreNeverTakenForAnother)
{
    auto surface = std::make_shared<Surface>(2, 2);
    HDC hdc = standin::CreateSurfaceDC(surface, 0, 0, nullptr);
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    HDC memory = CreateCompatibleDC(hdc);
    HBITMAP bitmap = CreateCompatibleBitmap(hdc, 2, 2);
    auto& table = GdiTable::instance();
    EXPECT_FALSE(table.brush(reinterpret_cast<HBRUSH>(bitmap)).has_value());
    EXPECT_EQ(table.bitmap(reinterpret_cast<HBITMAP>(brush)), nullptr);
    EXPECT_EQ(table.dc(reinterpret_cast<HDC>(brush)), nullptr);
    EXPECT_EQ(table.palette(reinterpret_cast<HPALETTE>(bitmap)), nullptr);
    // Deleting a context's handle as an object deletes nothing.
    EXPECT_FALSE(DeleteObject(reinterpret_cast<HGDIOBJ>(hdc)));
    EXPECT_NE(table.dc(hdc), nullptr);
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_TRUE(DeleteObject(brush));
    EXPECT_TRUE(DeleteDC(memory));
    EXPECT_TRUE(DeleteDC(hdc));
}

} // namespace
