#pragma once

#define IDI_ORVALIS 101
