// "View": the chosen view of the results.
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <utility>

#include "gui-common/edit_text.h"
#include "gui-common/handler_guard.h"
#include "shell/quality_views.h"
#include "shell/tarncall.h"

namespace tarn::tarncall {

namespace {

// The view of the ticked radio button and the entries it uses.
ViewRequest RequestOf(const TForm1& form) {
    const std::pair<QRadioButton*, QualityView> radios[] = {
        {form.rdbtn_shftspec, QualityView::SpectralShift},
        {form.rdbtn_spkspec, QualityView::SpectralSpikes},
        {form.rdbtn_spectrans, QualityView::SpectralTransmission},
        {form.rdbtn_diurnaltrans, QualityView::DiurnalTransmission2},
        {form.rdbtn_shftdiur, QualityView::DiurnalShift1},
        {form.rdbtn_shft2diur, QualityView::DiurnalShift2},
        {form.rdbtn_shape, QualityView::DiurnalShape},
    };
    ViewRequest request;
    for (const auto& radio : radios)
        if (radio.first->isChecked()) request.View = radio.second;
    request.BySza = form.chckbx_viewSZA->isChecked();
    request.DayTime = gui::BytesOf(form.edtDayTime);
    request.InstrumentId = gui::BytesOf(form.edtInstrument);
    request.ResultCodes = gui::BytesOf(form.edtResCode);
    request.DefaultsFile = gui::BytesOf(form.edtDFA);
    return request;
}

}  // namespace

void TForm1::btn_ViewClick() {
    gui::RunGuarded([this] { ShowQualityView(RequestOf(*this)); });
}

}  // namespace tarn::tarncall
