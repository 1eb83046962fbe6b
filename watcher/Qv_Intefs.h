// keywatchd's binding of the token access library libkeycore, and the utility
// class Qv_Intefs. The binding's functions are exported under the library's
// own names with C linkage.
#pragma once

#include <stdbool.h>

#ifdef __cplusplus
extern "C" {
#endif

enum { kTokenPcode = 20407 };  // product code of the token that this system serves

extern void *hDylib;       // the loaded libkeycore; null while not loaded
extern bool glb_bInited;   // set by a successful Func_Init, cleared by Func_Finalize

int Func_Init(const char *path);  // null or "" = the default path; 0 loaded, 1 not
void Func_Finalize(void);
bool IsInitedOK(void);            // loads the default library first when nothing is loaded

// Lists the readers that hold a token of product code kTokenPcode: their names,
// each with its zero byte, go to szDeviceName (capacity *dwDeviceNameLen on
// entry; the filtered length on return), their number to *pdwNum.
int KcListReaders(char *szDeviceName, int *dwDeviceNameLen, int *pdwNum);

// Plain wrappers: -1 when the library or the function is missing, else the
// library's own status.
int KcConnectDev(const char *name, void **handle);
int KcBeginTransaction(void *handle);
int KcReadPCODE(void *handle, int *pcode, int *second);
int KcEndTransaction(void *handle);
int KcDisconnectDev(void *handle);

// Asks the first reader that KcListReaders keeps for its serial.
int KcGetSerial(unsigned char value);

#ifdef __cplusplus
}
#endif

#ifdef __OBJC__
#import <Foundation/Foundation.h>

@interface Qv_Intefs : NSObject
// The product code of the first token that KcListReaders keeps; 0 when none
// could be read.
- (int)getPcode;
@end
#endif
