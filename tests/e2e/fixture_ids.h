// Command and control numbers of the driver's test program, shared by its
// resources, its code and the driver's own tests.
#pragma once

#define IDM_QUESTION 100
#define IDM_DIALOG 101
#define IDM_WHEN_INVERTED 102
#define IDM_EXIT 103
#define IDM_INVERT 110
#define IDM_HANG 111
#define IDM_EXIT42 112
#define IDM_SLOW_INVERT 113

#define IDC_LABEL 200
#define IDC_NUMBER 201

// Geometry the tests check.
#define FIXTURE_CLIENT_WIDTH 320
#define FIXTURE_CLIENT_HEIGHT 240
#define FIXTURE_VERT_MAX 299
#define FIXTURE_VERT_PAGE 100
#define FIXTURE_VERT_POS 10
#define FIXTURE_HORZ_MAX 199
#define FIXTURE_HORZ_PAGE 50
#define FIXTURE_HORZ_POS 5
