#import "QvXMLPropertyList.h"

namespace {

// GNUstep's serialiser writes any other object as its description, and raises
// for nil or a key that is not a string, where macOS returns nil: the check
// comes first so that both systems refuse the same objects.
bool IsPropertyListValue(id object)
{
    if ([object isKindOfClass:[NSString class]] || [object isKindOfClass:[NSNumber class]] ||
        [object isKindOfClass:[NSDate class]] || [object isKindOfClass:[NSData class]])
        return true;
    if ([object isKindOfClass:[NSArray class]]) {
        NSEnumerator *elements = [object objectEnumerator];
        id element;
        while ((element = [elements nextObject]))
            if (!IsPropertyListValue(element))
                return false;
        return true;
    }
    if ([object isKindOfClass:[NSDictionary class]]) {
        NSEnumerator *keys = [object keyEnumerator];
        id key;
        while ((key = [keys nextObject]))
            if (![key isKindOfClass:[NSString class]] || !IsPropertyListValue([object objectForKey:key]))
                return false;
        return true;
    }
    return false;
}

}  // namespace

NSData *QvXMLPropertyListData(id object)
{
    if (!IsPropertyListValue(object))
        return nil;
    return [NSPropertyListSerialization dataWithPropertyList:object
                                                      format:NSPropertyListXMLFormat_v1_0
                                                     options:0
                                                       error:NULL];
}
