// keywatchd's binding of the token access library libkeycore, the utility
// class Qv_Intefs and the binding of the dialog library libkeydialogs. The
// functions are exported under their plain names with C linkage.
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

extern void *hP11Win;  // the loaded libkeydialogs; null while not loaded

// null or "" = the default path; 0 loaded, 1 not. A handle already held is
// replaced without being closed.
int InitedP11Wnd(const char *path);
void UnInitP11(void);
// Calls the dialog library's showTipWindow with `value`, when it has one.
void showTipWindow(void *value);

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

// Record files: property lists in XML form directly in the record directory
// ("/tmp"), under a name that must be one plain file name (any other is
// refused, with a log line). Every write under an accepted name logs the
// record's path; data that is not a property list leaves the file as it was.
@interface Qv_Intefs (Records)
+ (void)saveData:(id)data toFileName:(NSString *)fileName;
// Sets "visit" in the dictionary record, keeping its other keys; whatever
// else the file held is replaced by a dictionary holding only "visit".
+ (void)appendDataValue:(id)value toFileName:(NSString *)fileName;
// nil when the file is missing or holds no dictionary.
+ (NSMutableDictionary *)readDicFromFileName:(NSString *)fileName;
+ (void)saveData1:(id)data toFileName:(NSString *)fileName;
// nil when the file is missing or holds no array.
+ (NSArray *)readDataFromFileName:(NSString *)fileName;
@end
#endif
