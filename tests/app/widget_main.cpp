// Widget tests run headless on Qt's offscreen platform. The binary counts
// C++ allocations while a test asks it to, to check code that must not
// allocate.
#include <gtest/gtest.h>

#include <QApplication>

#include <atomic>
#include <cstdlib>
#include <new>

#include "allocation_counter.h"

namespace velmora::testing {
std::atomic<bool> counting_allocations{false};
std::atomic<long> allocations{0};
}  // namespace velmora::testing

void* operator new(std::size_t size) {
    if (velmora::testing::counting_allocations) ++velmora::testing::allocations;
    if (void* memory = std::malloc(size ? size : 1)) return memory;
    throw std::bad_alloc();
}
// Every form of new that a replaced delete may free has to come from here
// too (the standard library's temporary buffers use the nothrow one), or
// the sanitizer sees memory from its own new handed to our free.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    if (velmora::testing::counting_allocations) ++velmora::testing::allocations;
    return std::malloc(size ? size : 1);
}
void operator delete(void* memory, const std::nothrow_t&) noexcept {
    std::free(memory);
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
