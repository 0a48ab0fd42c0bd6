#include "update/Consent.h"

#include "sys/Resource.h"

#include <string.h>

int HasUnattendedConsent() {
    const void* data = nullptr;
    DWORD size = 0;
    if (!FindResourceBytes(MAKEINTRESOURCEA(RESOURCE_PAYLOAD_ID), RESOURCE_CONSENT_TYPE, &data,
                           &size))
        return 0;
    return size == sizeof RESOURCE_CONSENT_TEXT - 1 &&
           memcmp(data, RESOURCE_CONSENT_TEXT, size) == 0;
}
