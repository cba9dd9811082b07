#pragma once

// Fills the freshly created database with a few prospects, recruits and
// today's contacts, so that lists and reminder numbers show something.
// Returns false when the store refused a row (it has reported why).
bool fillSampleData();
