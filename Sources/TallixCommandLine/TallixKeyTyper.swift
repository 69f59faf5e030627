import Foundation
import QVRTallixModel

/// Turns typed text into key presses for the terminal.
///
/// Every character goes through `keyTypeFromString:` of Part 2.5, so the keyboard of the
/// application works as it is ("7", "+", "*", "/", "^", "(", "!", "%", "E", "e", "C", …). Two
/// additions make the terminal usable on its own:
/// - the calculator's own signs "×", "÷" and "−" (what `stringDescription` prints) type the
///   multiply, divide and subtract keys, so that an output line can be typed back in;
/// - words of two or more letters name keys without a character of their own: see ``words``.
///   A word that names no key is an error; single letters are typed as they are.
public enum TallixKeyTyper {
    /// The words that name keys.
    public static let words: [String: QVRTallixKeyType] = [
        "sin": .sine, "cos": .cosine, "tan": .tangent, "asin": .inverseSine, "acos": .inverseCosine,
        "atan": .inverseTangent, "sinh": .hyperbolicSine, "cosh": .hyperbolicCosine, "tanh": .hyperbolicTangent,
        "asinh": .inverseHyperbolicSine, "acosh": .inverseHyperbolicCosine, "atanh": .inverseHyperbolicTangent,
        "ln": .naturalLogarithm, "log": .logarithmBase10, "log10": .logarithmBase10, "log2": .logarithmBase2,
        "logy": .logarithmToABase, "exp": .exponential, "sqrt": .squareRoot, "cbrt": .cubeRoot,
        "root": .xthRootOfY, "yroot": .ythRootOfX, "pow": .power, "ypow": .reversePower, "sq": .square,
        "cube": .cube, "inv": .reciprocal, "fact": .factorial, "ee": .engineeringExponent,
        "tenpow": .tenToThePower, "twopow": .twoToThePower, "rnd": .round, "round": .round,
        "rand": .random, "pi": .pi, "euler": .eulersNumber, "neg": .signChange, "del": .delete,
        "rad": .angleModeDegrees, "deg": .angleModeRadians,
    ]

    /// The characters that stand for keys beyond those of `keyTypeFromString:`.
    static let signs: [Character: String] = ["×": "*", "÷": "/", "−": "-"]

    /// `keyTypeFromString:` of each ASCII character, looked up once.
    static let asciiKeys: [QVRTallixKeyType] = (0..<128).map { byte in
        QVRTallixExpression.keyTypeFromString(String(UnicodeScalar(UInt8(byte))))
    }

    /// The keys that `text` types; an unknown word gives an error naming it.
    public static func keyTypes(for text: String) -> Result<[QVRTallixKeyType], TallixInputError> {
        var keys: [QVRTallixKeyType] = []
        let characters = Array(text)
        var index = 0
        while index < characters.count {
            let character = characters[index]
            if isWordLetter(character) {
                var end = index
                while end < characters.count, isWordLetter(characters[end]) { end += 1 }
                var digitsEnd = end
                while digitsEnd < characters.count, let byte = characters[digitsEnd].asciiValue, byte >= 48, byte <= 57
                {
                    digitsEnd += 1
                }
                let word = String(characters[index..<end])
                let wordWithDigits = String(characters[index..<digitsEnd])
                if digitsEnd > end, let key = words[wordWithDigits.lowercased()] {
                    keys.append(key)
                    index = digitsEnd
                } else if word.count == 1 {
                    keys.append(QVRTallixExpression.keyTypeFromString(word))
                    index = end
                } else if let key = words[word.lowercased()] {
                    keys.append(key)
                    index = end
                } else {
                    return .failure(TallixInputError(word: word, text: text))
                }
                continue
            }
            if let byte = character.asciiValue {
                keys.append(asciiKeys[Int(byte)])
            } else {
                keys.append(QVRTallixExpression.keyTypeFromString(signs[character] ?? String(character)))
            }
            index += 1
        }
        return .success(keys)
    }

    private static func isWordLetter(_ character: Character) -> Bool {
        guard let byte = character.asciiValue else { return false }
        return (byte >= 65 && byte <= 90) || (byte >= 97 && byte <= 122)
    }
}

/// A word in typed text that names no key.
public struct TallixInputError: Error, Equatable, CustomStringConvertible {
    public let word: String
    public let text: String

    public var description: String {
        "unknown key name '\(word)' in '\(text)' (see 'tallix eval --help' for the key names)"
    }
}
