#include "input/input_devices.h"

#include <dinput_testing.h>
#include <gtest/gtest.h>

#include <cstring>

TEST(InputDevices, OpensBothDevicesAndClearsTheKeyState) {
    InputDevices input(nullptr);
    memset(input.keyState, 0xAB, sizeof input.keyState);
    ASSERT_EQ(input.CreateDirectInput(), S_OK);
    ASSERT_EQ(input.CreateDevices(), S_OK);
    EXPECT_NE(input.keyboard, nullptr);
    EXPECT_NE(input.mouse, nullptr);
    for (BYTE b : input.keyState)
        ASSERT_EQ(b, 0);
    // Both were acquired: a second Acquire has nothing to do.
    EXPECT_EQ(input.keyboard->Acquire(), S_FALSE);
    EXPECT_EQ(input.mouse->Acquire(), S_FALSE);
}

TEST(InputDevices, FailingMouseLeavesTheKeyboardSetUpButNotAcquired) {
    DInputTestRefuseDevice(&GUID_SysMouse);
    InputDevices input(nullptr);
    memset(input.keyState, 0xAB, sizeof input.keyState);
    ASSERT_EQ(input.CreateDirectInput(), S_OK);
    EXPECT_EQ(input.CreateDevices(), E_FAIL);
    ASSERT_NE(input.keyboard, nullptr);
    EXPECT_EQ(input.mouse, nullptr);
    EXPECT_EQ(input.keyState[0], 0xAB);          // not cleared
    EXPECT_EQ(input.keyboard->Acquire(), DI_OK); // it had not been acquired
    DInputTestRefuseDevice(nullptr);
}

TEST(InputDevices, DevicesWithoutDirectInputFail) {
    InputDevices input(nullptr);
    EXPECT_EQ(input.CreateDevices(), E_FAIL);
}

TEST(DirectInputStandIn, ChecksItsArgumentsAsDirectInputDoes) {
    IDirectInput8A* di = nullptr;
    HINSTANCE self = GetModuleHandleA(nullptr);
    EXPECT_EQ(DirectInput8Create(self, 0x0700, IID_IDirectInput8A, (void**)&di, nullptr),
              DIERR_OLDDIRECTINPUTVERSION);
    EXPECT_EQ(DirectInput8Create(self, 0x0800, GUID_SysMouse, (void**)&di, nullptr),
              DIERR_NOINTERFACE);
    EXPECT_EQ(DirectInput8Create(nullptr, 0x0800, IID_IDirectInput8A, (void**)&di, nullptr),
              DIERR_INVALIDPARAM);
    ASSERT_EQ(DirectInput8Create(self, 0x0800, IID_IDirectInput8A, (void**)&di, nullptr), DI_OK);

    IDirectInputDevice8A* keyboard = nullptr;
    ASSERT_EQ(di->CreateDevice(GUID_SysKeyboard, &keyboard, nullptr), DI_OK);
    DIPROPDWORD prop{};
    prop.diph.dwSize = sizeof(DIPROPDWORD);
    prop.diph.dwHeaderSize = 12; // wrong header size
    prop.diph.dwHow = DIPH_DEVICE;
    prop.dwData = 10;
    EXPECT_EQ(keyboard->SetProperty(DIPROP_BUFFERSIZE, &prop.diph), DIERR_INVALIDPARAM);
    prop.diph.dwHeaderSize = sizeof(DIPROPHEADER);
    prop.diph.dwSize = 16; // wrong structure size
    EXPECT_EQ(keyboard->SetProperty(DIPROP_BUFFERSIZE, &prop.diph), DIERR_INVALIDPARAM);
    prop.diph.dwSize = sizeof(DIPROPDWORD);
    EXPECT_EQ(keyboard->SetProperty(DIPROP_BUFFERSIZE, &prop.diph), DI_OK);

    EXPECT_EQ(keyboard->Acquire(), DIERR_INVALIDPARAM); // no data format yet
    DIDATAFORMAT bad = c_dfDIKeyboard;
    bad.dwSize = 20;
    EXPECT_EQ(keyboard->SetDataFormat(&bad), DIERR_INVALIDPARAM);
    EXPECT_EQ(keyboard->SetDataFormat(&c_dfDIKeyboard), DI_OK);
    EXPECT_EQ(keyboard->SetCooperativeLevel(nullptr, DISCL_NONEXCLUSIVE | DISCL_EXCLUSIVE |
                                                         DISCL_BACKGROUND),
              DIERR_INVALIDPARAM);
    EXPECT_EQ(keyboard->SetCooperativeLevel(nullptr, DISCL_EXCLUSIVE | DISCL_BACKGROUND),
              DIERR_UNSUPPORTED);
    EXPECT_EQ(keyboard->SetCooperativeLevel(nullptr, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND), DI_OK);
    EXPECT_EQ(keyboard->Acquire(), DI_OK);
    EXPECT_EQ(keyboard->SetDataFormat(&c_dfDIKeyboard), DIERR_ACQUIRED);
    keyboard->Release();
    di->Release();
}
