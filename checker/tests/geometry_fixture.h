// A model with a string each of points, lines and areas, and a check run as the check
// interpret runs it.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "../../kernel/tests/test_support.h"
#include "../../platform/tests/test_support.h"
#include "checker/check_tools.h"
#include "checker/geometry_checks.h"

class GeometryChecks : public ::testing::Test {
protected:
    static void SetUpTestSuite() { RegisterCheckerClasses(); }
    void SetUp() override {
        model = TRectEntity::New();
        points = TPointString::New();
        lines = TPolyLineString::New();
        areas = TAreaString::New();
        model->AddElement(points);
        model->AddElement(lines);
        model->AddElement(areas);
    }
    void TearDown() override {
        Free(model);
        DropQueue();
    }
    TPolyLineElement* Line(std::vector<T2DPoint> pts) {
        auto* l = TPolyLineElement::New();
        l->SetPoints(std::move(pts));
        lines->AddElement(l);
        return l;
    }
    TAreaElement* Area(std::vector<T2DPoint> pts) {
        auto* a = TAreaElement::New();
        a->SetPoints(std::move(pts));
        areas->AddElement(a);
        return a;
    }
    TPointElement* Point(double x, double y) {
        auto* p = TPointElement::New(x, y);
        points->AddElement(p);
        return p;
    }
    // Runs the check on the element as the check interpret does.
    static int32_t Run(TCheckTool* check, TElement* element) {
        check->Reset();
        check->SetInput(element);
        check->DoIt();
        return check->Error;
    }
    TRectEntity* model = nullptr;
    TPointString* points = nullptr;
    TPolyLineString* lines = nullptr;
    TAreaString* areas = nullptr;
    SeparatorScope comma{','};
};
