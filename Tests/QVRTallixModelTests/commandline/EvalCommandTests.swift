import Foundation
import Testing

@testable import QVRTallixModel
@testable import TallixCommandLine

@Suite("tallix eval and the line-mode calculator")
@MainActor
struct EvalCommandTests {
    func run(_ arguments: [String], input: [String] = []) -> (status: Int32, output: String, error: String) {
        let buffer = TallixBufferIO(input: input)
        let status = TallixCommandLine.run(arguments, io: buffer.io)
        return (status, buffer.output, buffer.error)
    }

    @Test("eval types each argument into a new expression and prints its stringDescription")
    func evalArguments() {
        withTestEnvironment { _ in
            let result = run(["eval", "2+3*4", "(1+2)*3", "5!+2", "200+10%", "1/0", "2^3^2"])
            #expect(result.status == 0)
            #expect(
                result.output == """
                    2 + 3 × 4 = 14
                    (1 + 2) × 3 = 9
                    5! + 2 = 122
                    200 + 10 % = 220
                    1 ÷ 0 = Error
                    2 xʸ 3 xʸ 2 = 64

                    """)
            #expect(result.error.isEmpty)
        }
    }

    @Test("eval reads standard input when no expression is given, one per line")
    func evalStandardInput() {
        withTestEnvironment { _ in
            let result = run(["eval"], input: ["1+1", "", "0.1+0.2", "1/3"])
            #expect(result.output == "1 + 1 = 2\n0 = 0\n0.1 + 0.2 = 0.3\n1 ÷ 3 = 0.333333333333333\n")
        }
    }

    @Test("Key names and the calculator's own signs type keys; the output can be typed back in")
    func keyNames() {
        withTestEnvironment { _ in
            let result = run(["eval", "30 sin", "2 sqrt", "pi*2", "8 log2", "2 × 3 − 1 ÷ 4", "rad 90 sin"])
            #expect(
                result.output == """
                    30 sin = 0.5
                    2 √ = 1.41421356237
                    3.14159265359 × 2 = 6.28318530718
                    8 log₂ = 3
                    2 × 3 − 1 ÷ 4 = 5.75
                    90 sin = 0.893996663600558

                    """)
        }
    }

    @Test("--radians switches the angle unit of every expression")
    func radians() {
        withTestEnvironment { _ in
            #expect(run(["eval", "--radians", "0 cos", "1 asin"]).output == "0 cos = 1\n1 asin = 1.57079632679\n")
            #expect(run(["--radians", "eval", "90 sin"]).output == "90 sin = 0.893996663600558\n")
            #expect(run(["eval", "--", "-5"]).output == "0 − 5 = -5\n")
        }
    }

    @Test("An unknown key name is an error on standard error with exit code 2; the other expressions are still printed")
    func unknownWord() {
        withTestEnvironment { _ in
            let result = run(["eval", "1+1", "foo+1", "2*2"])
            #expect(result.status == 2)
            #expect(result.output == "1 + 1 = 2\n2 × 2 = 4\n")
            #expect(result.error.contains("unknown key name 'foo'"))
        }
    }

    @Test("Bad options give a clear message and exit code 2; --help gives exit code 0")
    func options() {
        withTestEnvironment { _ in
            let bad = run(["eval", "--bogus"])
            #expect(bad.status == 2 && bad.error.contains("unknown option '--bogus'") && bad.output.isEmpty)
            let badTop = run(["--bogus"])
            #expect(badTop.status == 2 && badTop.error.contains("unknown option '--bogus'"))
            let badCommand = run(["frobnicate"])
            #expect(badCommand.status == 2 && badCommand.error.contains("unknown command or option 'frobnicate'"))
            let help = run(["--help"])
            #expect(help.status == 0 && help.output.contains("eval") && help.output.contains("usage: tallix"))
            let evalHelp = run(["eval", "--help"])
            #expect(evalHelp.status == 0 && evalHelp.output.contains("Key names:"))
            #expect(run(["lines", "--help"]).output.contains("usage: tallix [--radians]"))
        }
    }

    @Test("The line-mode calculator types each line into the current expression; Enter finishes, the result stays")
    func lineMode() {
        withTestEnvironment { _ in
            let result = run([], input: ["2+3", "*4", "C", "5!", "", "7", "help", "quit", "1+1"])
            #expect(result.status == 0)
            let lines = result.output.split(separator: "\n", omittingEmptySubsequences: false)
            #expect(lines.prefix(6) == ["2 + 3 = 5", "5 × 4 = 20", "0 = 0", "5! = 120", "120 = 120", "7 = 7"])
            #expect(result.output.contains("usage: tallix [--radians]"))
            #expect(!result.output.contains("1 + 1"))
        }
    }

    @Test("The line-mode calculator keeps its expression across runs (the current-expression file)")
    func lineModePersists() {
        withTestEnvironment { environment in
            _ = run([], input: ["6*7"])
            environment.setSharedInstance(nil, forKey: "QVRTallixExpression.currentExpression")
            #expect(run([], input: ["+1"]).output == "42 + 1 = 43\n")
            #expect(run(["--radians"], input: ["90 sin"]).output == "90 sin = 0.893996663600558\n")
        }
    }

    @Test("The line-mode calculator reports an unknown word and goes on")
    func lineModeErrors() {
        withTestEnvironment { _ in
            let result = run([], input: ["zz", "3"])
            #expect(result.error.contains("unknown key name 'zz'"))
            #expect(result.output == "3 = 3\n")
            #expect(run(["--nope"]).status == 2)
        }
    }
}
