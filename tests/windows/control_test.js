// Drives the registered control through Wine's script host in JScript:
// creation by ProgID, properties, methods and the error of an unknown
// member. The host exits 0 whatever happens, so the closing count line is
// the verdict.
var passed = 0, failed = 0;

function check(name, condition, detail) {
  if (condition) {
    passed++;
    WScript.Echo("ok   " + name);
  } else {
    failed++;
    WScript.Echo("FAIL " + name + ": " + detail);
  }
}

// JScript reports HRESULTs; the low word is the script error number.
function errorNumber(e) { return e.number & 0xFFFF; }

function attempt(name, action, expect) {
  try {
    var got = action();
    check(name, expect(got), "got " + got);
  } catch (e) {
    check(name, false, "error " + errorNumber(e) + " " + e.description);
  }
}

function expectError(name, action, number) {
  try {
    action();
    check(name, false, "no error");
  } catch (e) {
    check(name, errorNumber(e) == number, "error " + errorNumber(e) + " " + e.description);
  }
}

var control = null;
try {
  control = new ActiveXObject("Pellora.axEdit");
  check("new ActiveXObject", control != null, "null");
} catch (e) {
  check("new ActiveXObject", false, "error " + errorNumber(e) + " " + e.description);
}

if (control != null) {
  attempt("Caption", function () { return control.Caption; }, function (v) { return v == "Pellora"; });
  attempt("AxBorderStyle", function () { return control.AxBorderStyle; }, function (v) { return v === 0; });
  attempt("Params", function () { control.Params("http://127.0.0.1:9/tessaron", "Sample 1", "token"); return 0; },
          function () { return true; });
  attempt("Options", function () { control.Options("nohtml"); return 0; }, function () { return true; });
  // A font put by value: the form takes its size (in whole pixels: 9
  // points are 12 of them) and weight.
  attempt("Font put by value", function () {
    var font = control.Font;
    font.Size = 9;
    font.Bold = true;
    control.Font = font;
    return control.Font.Size + "/" + control.Font.Weight;
  }, function (v) { return v == "9/700"; });
  attempt("Close", function () { control.Close(); return 0; }, function () { return true; });
  // JScript reads a name the object does not know as undefined; only a
  // call of it is an error.
  attempt("unknown property reads as undefined", function () { return typeof control.NoSuchMember; },
          function (v) { return v == "undefined"; });
  expectError("unknown method is error 438", function () { control.NoSuchMethod(1); }, 438);
}

WScript.Echo(passed + " passed, " + failed + " failed");
