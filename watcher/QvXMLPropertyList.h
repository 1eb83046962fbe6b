// Objects as property lists in the platform's XML form.
#pragma once

#import <Foundation/Foundation.h>

// The object as an XML property list, or nil when it is not a property-list
// value: a string, number, date or data, or an array or a dictionary with
// string keys made only of such values.
NSData *QvXMLPropertyListData(id object);
