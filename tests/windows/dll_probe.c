/* Calls DQX7460.dll through its import library as a C caller of the header does. With no
 * card attached the open finds nothing; the feature query needs no card. Under wine64 the
 * 64-bit build runs it; the 32-bit build is only linked, and its imports are checked. */
#include <stdio.h>
#include <string.h>
#include <windows.h>

#include "DQX7460.h"

/* Every function the program imports: by ordinal, and by decorated name on 32-bit. */
typedef void (*AnyFunction)(void);
const AnyFunction g_programImports[] = {
    (AnyFunction)DQX7460_DeviceOpen,   (AnyFunction)DQX7460_MAIVoltageIn,
    (AnyFunction)DQX7460_DeviceClose,  (AnyFunction)DQX7460_AIConfig,
    (AnyFunction)DQX7460_ADReadData,   (AnyFunction)DQX7460_FifoClear,
    (AnyFunction)DQX7460_DioReadWord2, (AnyFunction)DQX7460_DioWriteWord2,
    (AnyFunction)DQX7460_Reset,        (AnyFunction)DQX7460_StartAd,
    (AnyFunction)DQX7460_StopAd,       (AnyFunction)DQX7460_DeviceGetFeatures,
    (AnyFunction)DQX7460_MAIBinaryIn,
};

static int g_failures = 0;

static void Expect(int condition, const char* what) {
    if (!condition) {
        printf("FAILED: %s\n", what);
        ++g_failures;
    }
}

#ifdef _WIN64
static char g_message[256];

static void RecordMessage(const char* text, const char* caption) {
    snprintf(g_message, sizeof g_message, "%s|%s", caption, text);
}
#endif

int main(void) {
    HANDLE handle = (HANDLE)0x55;
    Expect(DQX7460_DeviceOpen(1, &handle) == 1, "open without a card returns 1");
    Expect(handle == NULL, "open without a card leaves a null handle");
    Expect(DQX7460_DeviceClose(NULL) == 0, "closing the null handle returns 0");

    FeatureBlock block;
    memset(&block, 0xAA, sizeof block);
    FeatureQuery query = {&block, 940};
    Expect(DQX7460_DeviceGetFeatures(NULL, &query) == 0, "the feature query returns 0");
    const WORD expected[10] = {16, 32, 0xAAAA, 0xAAAA, 0xAAAA, 0xAAAA, 4, 1, 16, 2};
    Expect(memcmp(block.Slot, expected, sizeof expected) == 0, "the feature block's slots");
    Expect(query.Word == 942, "the feature word");

#ifdef _WIN64
    /* The 64-bit DLL also exports the hook's setter; the message is UTF-8. */
    dqx7460_set_message_hook(RecordMessage);
    handle = (HANDLE)0x55;
    Expect(DQX7460_DeviceOpen(16, &handle) == 1, "device number 16 returns 1");
    Expect(handle == (HANDLE)0x55, "device number 16 leaves the handle alone");
    Expect(strcmp(g_message, "错误|设备号不正确，必须为0-15!") == 0,
           "the message through the hook");
    dqx7460_set_message_hook(NULL);
#endif

    printf("%s\n", g_failures == 0 ? "dll_probe: all passed" : "dll_probe: FAILED");
    return g_failures == 0 ? 0 : 1;
}
