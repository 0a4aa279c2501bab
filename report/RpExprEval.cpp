// Evaluating a prepared element list: each element takes its operands from
// the list as it goes, so one walk from the first element consumes it all.
#include "report/RpExprLibrary.h"

TRpEvResult TRpEvElement::Value(TRpFiFo&) { return TRpEvResult(); }

namespace {

TRpEvResult evaluateNext(TRpFiFo& fifo) {
  TRpEvElement* element = fifo.Next();
  return element != nullptr ? element->Value(fifo) : TRpEvResult::OfError(rpmsg::EmptyOperand);
}

}  // namespace

// An operator whose right operand is itself an operator (every chain a+b+c)
// is walked in a loop with the pending left operands kept here, so a long
// chain costs no stack.
TRpEvResult TRpEvElementOperator::Value(TRpFiFo& fifo) {
  struct Pending {
    Byte code;
    TRpEvResult left;
  };
  constexpr int inlineDepth = 8;
  Pending inlinePending[inlineDepth];
  std::vector<Pending> morePending;
  int count = 0;
  const auto push = [&](Byte code, TRpEvResult left) {
    if (count < inlineDepth) {
      inlinePending[count] = Pending{code, std::move(left)};
    } else {
      morePending.push_back(Pending{code, std::move(left)});
    }
    ++count;
  };
  Byte code = Code;
  TRpEvResult right;
  for (;;) {
    push(code, evaluateNext(fifo));
    TRpEvElement* element = fifo.Next();
    if (element == nullptr) {
      right = TRpEvResult::OfError(rpmsg::EmptyOperand);
      break;
    }
    if (element->ElementRole() != Role::Operator) {
      right = element->Value(fifo);
      break;
    }
    code = static_cast<TRpEvElementOperator*>(element)->Code;
  }
  while (count > 0) {
    --count;
    Pending& p = count < inlineDepth ? inlinePending[count]
                                     : morePending[static_cast<std::size_t>(count - inlineDepth)];
    right = RpApplyOperator(p.code, std::move(p.left), std::move(right));
  }
  return right;
}

TRpEvResult TRpEvElementNot::Value(TRpFiFo& fifo) {
  const TRpEvResult operand = evaluateNext(fifo);
  if (operand.Kind != rpvBoolean) return TRpEvResult::OfError(rpmsg::InvalidNot);
  return TRpEvResult::OfBoolean(!operand.BoolValue);
}

TRpEvResult TRpEvElementDataField::Value(TRpFiFo&) {
  // A data set that makes its own fields makes them anew when it opens:
  // the stored index finds the current one.
  if (DataSet != nullptr && DataSet->DefaultFields()) {
    if (FieldIndex < 0 || FieldIndex >= DataSet->FieldCount()) {
      return TRpEvResult::OfError(Format(rpmsg::FieldUnknownType, {FieldName}));
    }
    Field = DataSet->Fields(FieldIndex);
  }
  TField* f = Field;
  try {
    if (dynamic_cast<TStringField*>(f)) return TRpEvResult::OfString(f->AsString());
    if (dynamic_cast<TIntegerField*>(f) || dynamic_cast<TLargeintField*>(f)) {
      return TRpEvResult::OfInteger(f->AsInteger());
    }
    if (dynamic_cast<TBCDField*>(f) || dynamic_cast<TFloatField*>(f)) {
      return TRpEvResult::OfFloat(static_cast<double>(f->AsFloat()));
    }
    if (dynamic_cast<TBooleanField*>(f)) return TRpEvResult::OfBoolean(f->AsBoolean());
    if (dynamic_cast<TDateTimeField*>(f)) return TRpEvResult::OfString(f->Text());
  } catch (const Exception& e) {
    return TRpEvResult::OfError(e.Message);
  }
  return TRpEvResult::OfError(Format(rpmsg::FieldUnknownType, {FieldName}));
}

void TRpEvElementFunction::CollectArguments(TRpFiFo& fifo) {
  Arguments.clear();
  for (;;) {
    TRpEvElement* element = fifo.Next();
    if (element == nullptr || element->ElementRole() == Role::ArgumentEnd) break;
    TRpEvResult value = element->Value(fifo);
    Arguments.push_back(TRpEvResultClass{std::move(value)});
  }
}

TRpEvResult TRpEvElementFunction::Value(TRpFiFo& fifo) {
  CollectArguments(fifo);
  if (fifo.AggregateFlag) Aggregate();
  TRpEvResult result = Calculate();
  Arguments.clear();
  return result;
}

TRpEvResult TRpEvElementWrapper::Value(TRpFiFo& fifo) { return Embedded->Value(fifo); }

// ---- the evaluator ---------------------------------------------------------------

TRpEvResult TRpEvaluator::Value() {
  if (!prepared_) throw Exception(rpmsg::NotPrepared);
  fifo_->Start();
  TRpEvElement* first = fifo_->Next();
  if (first == nullptr) return TRpEvResult::OfError();
  return first->Value(*fifo_);
}

void TRpEvaluator::DoAggregate() {
  if (!prepared_) throw Exception(rpmsg::NotPrepared);
  fifo_->AggregateFlag = true;
  try {
    Value();
  } catch (...) {
    fifo_->AggregateFlag = false;
    throw;
  }
  fifo_->AggregateFlag = false;
}

void TRpEvaluator::Reset() {
  if (!fifo_) return;
  for (auto& element : fifo_->Elements) element->Reset();
}

bool TRpEvaluator::IsAggregate() const {
  if (!fifo_) return false;
  for (const auto& element : fifo_->Elements) {
    if (element->IsAggregateElement) return true;
  }
  return false;
}
