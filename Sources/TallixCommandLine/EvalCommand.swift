import Foundation
import QVRTallixModel

/// `tallix eval [--radians] EXPR…`: types each expression key by key into a new expression and
/// prints its `stringDescription`; without EXPR, each line of standard input is one expression.
public enum EvalCommand: TallixCommand {
    public static let name = "eval"
    public static let summary = "evaluate expressions typed as keys: tallix eval '2+3*4'"
    public static var usage: String {
        """
        usage: tallix eval [--radians] [--] EXPR…
               tallix eval [--radians] < FILE

        Types each EXPR (or each line of standard input) key by key into a new expression, as on
        the calculator's keyboard, and prints the expression with its result, one line each:

            $ tallix eval '2+3*4' '(1+2)*3' '5!+2'
            2 + 3 × 4 = 14
            (1 + 2) × 3 = 9
            5! + 2 = 122

        Keys: digits, "." or "," (decimal separator), + - * / (also × − ÷), ^ (power), ( ) or [ ],
        % (percent), ! (factorial), @ (square), # (cube), √ (square root), ± (sign), E (times ten
        to the power), e (e to the power), C or c (clear); blanks are ignored.
        Key names: \(TallixKeyTyper.words.keys.sorted().joined(separator: " ")).
        Functions are postfix, as on the calculator: '30 sin' is the sine of 30, '2 sqrt' the
        square root of 2; 'rad' and 'deg' switch the angle unit.

        Options:
          --radians   angles in radians (default: degrees)
          --help      this text

        Exit status: 0 when every expression was read, 2 for a bad option or an unknown key name.
        """
    }

    @MainActor public static func run(_ arguments: [String], io: TallixIO) -> Int32 {
        var radians = false
        var expressions: [String] = []
        var optionsEnded = false
        for argument in arguments {
            if !optionsEnded, argument == "--" {
                optionsEnded = true
            } else if !optionsEnded, argument == "--radians" {
                radians = true
            } else if !optionsEnded, argument == "--help" || argument == "-h" {
                io.write(usage + "\n")
                return TallixExitCode.success
            } else if !optionsEnded, argument.hasPrefix("--") {
                io.writeError("tallix eval: unknown option '\(argument)'\nRun 'tallix eval --help' for usage.\n")
                return TallixExitCode.usage
            } else {
                expressions.append(argument)
            }
        }
        var status = TallixExitCode.success
        func evaluate(_ text: String) {
            switch evaluatedLine(text, radians: radians) {
            case .success(let line): io.write(line + "\n")
            case .failure(let error):
                io.writeError("tallix eval: \(error)\n")
                status = TallixExitCode.usage
            }
        }
        if expressions.isEmpty {
            while let line = io.readLine() { evaluate(line) }
        } else {
            expressions.forEach(evaluate)
        }
        return status
    }

    /// The `stringDescription` of a new expression into which `text` was typed.
    public static func evaluatedLine(_ text: String, radians: Bool) -> Result<String, TallixInputError> {
        TallixKeyTyper.keyTypes(for: text).map { keys in
            let expression = QVRTallixExpression()
            expression.setRadMode(radians)
            for key in keys { expression.handleKey(key) }
            return expression.stringDescription
        }
    }
}
