// The release engineer's consent, embedded at build time, to update where nobody can answer.
#pragma once

// HasUnattendedConsent returns 1 when the program carries resource RESOURCE_PAYLOAD_ID of type
// RESOURCE_CONSENT_TYPE holding exactly RESOURCE_CONSENT_TEXT (sys/Resource.h), and 0 when it
// is missing, cannot be loaded or holds anything else.
int HasUnattendedConsent();
