// The Windows driver: the library's operations become exactly the kernel driver's calls
// (CreateFileA on \\.\EZUSB-<d>, synchronous DeviceIoControl, CloseHandle), checked at the
// system-call boundary; and the UTF-16 text of the message box.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "DQX7460.h"
#include "windows_platform.h"

namespace {

// A kernel with cards on some driver instances: opens of other instances fail, bulk reads
// of read-back source 4 deliver the card's device number at byte 8000.
struct FakeKernel {
    std::map<std::string, WORD> cards;  // device path -> device number
    bool failRequests = false;
    std::vector<std::string> opens;
    std::vector<std::string> requests;
    std::vector<HANDLE> closes;
    std::map<HANDLE, WORD> source;
};
FakeKernel* g_kernel = nullptr;

std::string Hex(const void* data, DWORD length) {
    std::string text;
    for (DWORD at = 0; at < length; ++at) {
        char byte[3];
        std::snprintf(byte, sizeof byte, "%02x", static_cast<const unsigned char*>(data)[at]);
        text += byte;
    }
    return text;
}

HANDLE WINAPI FakeCreateFile(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                             DWORD disposition, DWORD flags, HANDLE templateFile) {
    char call[160];
    std::snprintf(call, sizeof call,
                  "%s access=%08lx share=%lu security=%d disposition=%lu flags=%lu template=%d",
                  path, access, share, security != nullptr, disposition, flags,
                  templateFile != nullptr);
    g_kernel->opens.push_back(call);
    auto card = g_kernel->cards.find(path);
    if (card == g_kernel->cards.end()) return INVALID_HANDLE_VALUE;
    return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(0x100 + path[10]));
}

// Each request as "<code> <input bytes> <output bytes sent, or the length read>".
BOOL WINAPI FakeDeviceIoControl(HANDLE handle, DWORD code, LPVOID in, DWORD inLen, LPVOID out,
                                DWORD outLen, LPDWORD returned, LPOVERLAPPED overlapped) {
    std::string request = Hex(&code, sizeof code) + " " + Hex(in, inLen) + " ";
    request += code == 0x0022204E ? std::to_string(outLen) : Hex(out, outLen);
    if (overlapped != nullptr) request += " overlapped";
    if (returned == nullptr) request += " no-count";
    g_kernel->requests.push_back(request);
    if (g_kernel->failRequests) return FALSE;
    auto* bytes = static_cast<BYTE*>(out);
    if (code == 0x00222051 && outLen == 4 && bytes[0] == 6) g_kernel->source[handle] = bytes[2];
    if (code == 0x0022204E) {
        std::fill(bytes, bytes + outLen, BYTE{0});
        if (g_kernel->source[handle] == 4 && outLen == 8192) {
            for (const auto& [path, number] : g_kernel->cards) {
                if (handle ==
                    reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(0x100 + path[10]))) {
                    bytes[8000] = static_cast<BYTE>(number);
                    bytes[8001] = static_cast<BYTE>(number >> 8);
                }
            }
        }
    }
    *returned = outLen;
    return TRUE;
}

BOOL WINAPI FakeCloseHandle(HANDLE handle) {
    g_kernel->closes.push_back(handle);
    return TRUE;
}

class WindowsDriverTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_kernel = &kernel;
        dqx7460::SetDriver(&driver);
    }
    void TearDown() override {
        dqx7460::SetDriver(nullptr);
        g_kernel = nullptr;
    }

    FakeKernel kernel;
    dqx7460::WindowsDriver driver{
        dqx7460::KernelCalls{FakeCreateFile, FakeDeviceIoControl, FakeCloseHandle}};
};

std::string OpenCall(char digit) {
    return std::string("\\\\.\\EZUSB-") + digit +
           " access=40000000 share=2 security=0 disposition=3 flags=0 template=0";
}

// The arm requests (write 0xBA, read 0xBB) and the pipe-0 register writes, byte for byte.
const std::string kWriteArm = "59202200 00020000ba000000efbe 00000000000000000000000000000000";
const std::string kReadArm = "59202200 00020000bb000000efbe 00000000000000000000000000000000";
std::string RegisterWrite(const std::string& bytes) {
    return "51202200 00000000 " + bytes;
}

}  // namespace

TEST_F(WindowsDriverTest, WithoutACardAllSixteenInstancesAreTriedAndNothingIsSent) {
    HANDLE handle = reinterpret_cast<HANDLE>(0x55);
    EXPECT_EQ(DQX7460_DeviceOpen(1, &handle), 1);
    EXPECT_EQ(handle, nullptr);
    std::vector<std::string> expected;
    for (char digit : std::string("0123456789ABCDEF")) expected.push_back(OpenCall(digit));
    EXPECT_EQ(kernel.opens, expected);
    EXPECT_TRUE(kernel.requests.empty());
    EXPECT_TRUE(kernel.closes.empty());
}

TEST_F(WindowsDriverTest, OpenReadCloseAreTheKernelDriversRequestsByteForByte) {
    kernel.cards["\\\\.\\EZUSB-A"] = 1;
    HANDLE handle = nullptr;
    ASSERT_EQ(DQX7460_DeviceOpen(1, &handle), 0);
    EXPECT_EQ(handle, reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(0x100 + 'A')));
    EXPECT_EQ(kernel.opens.size(), 11u);
    EXPECT_EQ(kernel.opens.back(), OpenCall('A'));
    const std::vector<std::string> expected = {
        kWriteArm, RegisterWrite("01000100"),  // reset pulse
        kWriteArm, RegisterWrite("01000000"),  //
        kWriteArm, RegisterWrite("06000400"),  // read-back source: device number
        kReadArm,  "4e202200 01000000 8192",   // bulk read on pipe 1
        kWriteArm, RegisterWrite("06000000"),  // back to the A/D stream
    };
    EXPECT_EQ(kernel.requests, expected);

    kernel.requests.clear();
    EXPECT_EQ(DQX7460_DioWriteWord2(handle, 0x00FF), 0);
    EXPECT_EQ(kernel.requests, (std::vector<std::string>{kWriteArm, RegisterWrite("8000ff00")}));

    EXPECT_EQ(DQX7460_DeviceClose(handle), 0);
    EXPECT_EQ(kernel.closes, std::vector<HANDLE>{handle});
}

TEST_F(WindowsDriverTest, AFailedRequestFailsTheOperationAndTheOpenClosesItsHandle) {
    kernel.cards["\\\\.\\EZUSB-0"] = 1;
    kernel.failRequests = true;
    HANDLE handle = reinterpret_cast<HANDLE>(0x55);
    EXPECT_EQ(DQX7460_DeviceOpen(1, &handle), 1);
    EXPECT_EQ(handle, nullptr);
    EXPECT_EQ(kernel.closes.size(), 1u);
    EXPECT_EQ(DQX7460_LEDTest(reinterpret_cast<HANDLE>(0x130), 1), 1);
}

TEST(WindowsText, MessagesBecomeUtf16) {
    const std::pair<const char*, std::wstring> cases[] = {
        {"设备号不正确，必须为0-15!", L"设备号不正确，必须为0-15!"},
        {"错误", L"错误"},
        {"", L""},
        {"a\xff", L"a\xfffd"},
    };
    for (const auto& [utf8, utf16] : cases) EXPECT_EQ(dqx7460::WideFromUtf8(utf8), utf16) << utf8;
}
