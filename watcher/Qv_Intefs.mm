#import "Qv_Intefs.h"

#include "KeycoreBinding.h"

@implementation Qv_Intefs

- (int)getPcode
{
    void *handle = ConnectFirstKeptReader();
    int pcode = 0;
    int second = 0;
    KcReadPCODE(handle, &pcode, &second);
    KcDisconnectDev(handle);
    return pcode;
}

@end
