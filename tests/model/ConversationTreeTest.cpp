#include <gtest/gtest.h>

#include "ModelTestSupport.h"
#include "model/Session.h"
#include "model/TConversationTree.h"
#include "support/TestSupport.h"

namespace {

// Renders the tree: one line per node, two blanks a level, "*" before bold
// nodes, letter nodes as From.
std::string Render(const TConversationTree& tree)
{
    std::string out;
    std::vector<std::pair<const TTreeNode*, int>> stack;
    for (auto it = tree.TopLevel().rbegin(); it != tree.TopLevel().rend(); ++it)
        stack.emplace_back(it->get(), 0);
    while (!stack.empty()) {
        auto [node, level] = stack.back();
        stack.pop_back();
        out += std::string(2 * level, ' ') + (node->Bold ? "*" : "") + node->Text() + "\n";
        for (auto it = node->Children.rbegin(); it != node->Children.rend(); ++it)
            stack.emplace_back(it->get(), level + 1);
    }
    return out;
}

// An area held in memory: letters (number, reply, subject, from, date, unread).
struct TreeArea {
    Session Owner;
    TArea Area{Owner, "RU.TEST", "Desc", "Mnone"};
    TConversationTree Tree{Area};
    void Letters(const std::vector<TLetter*>& letters) { InstallLetters(Area, letters); }
    TLetter* L(Num n) { return Area.Letters.LetterByNumber(n); }
    TLetter* Make(Num n, Num reply, const std::string& subject, const std::string& from, DateTime date, bool unread)
    {
        return MakeLetter(Area, n, reply, subject, from, date, unread);
    }
    std::string SelectedText() const { return Tree.Selected() ? Tree.Selected()->Text() : "<none>"; }
    TNavigateResult Go(int command, bool viewer = false) { return Tree.Navigate(command, viewer); }
};

}  // namespace

TEST(ConversationTree, SimpleTreeGroupsRootsBySubject)
{
    TreeArea t;
    t.Letters({t.Make(1, 0, "beta", "b1", 10, false), t.Make(2, 0, "alpha", "a1", 20, false),
               t.Make(3, 0, "alpha", "a0", 5, false), t.Make(4, 0, "Alpha", "A", 1, false),
               t.Make(5, 1, "beta", "r-late", 30, false), t.Make(6, 1, "beta", "r-early", 12, true),
               t.Make(7, 6, "beta", "rr", 40, false), t.Make(8, 99, "lost", "orphan", 2, false)});
    t.Tree.ViewMode = TViewMode::SimpleTree;
    t.Tree.BuildTree();
    EXPECT_EQ(Render(t.Tree),
              "Desc(RU.TEST)\n"
              "  alpha\n"
              "    a0\n"
              "    a1\n"
              "  Alpha\n"
              "    A\n"
              "  beta\n"
              "    b1\n"
              "      *r-early\n"
              "        rr\n"
              "      r-late\n"
              "  lost\n"
              "    orphan\n");
    const TTreeNode* areaNode = t.Tree.FirstNode();
    EXPECT_TRUE(areaNode->Expanded);
    EXPECT_FALSE(areaNode->Children[0]->Expanded);
    EXPECT_EQ(t.L(6)->Node->Letter, t.L(6));
    EXPECT_EQ(t.Tree.Selected(), areaNode) << "no current letter: the first node";
    EXPECT_EQ(t.L(8)->Node->Level(), 2);
}

TEST(ConversationTree, CyclesOnlyInTheList)
{
    TreeArea t;
    t.Letters({t.Make(1, 0, "s", "root", 1, false), t.Make(2, 3, "s", "loop-a", 2, true),
               t.Make(3, 2, "s", "loop-b", 3, true), t.Make(4, 4, "s", "self", 4, true)});
    for (TViewMode mode : {TViewMode::SimpleTree, TViewMode::UnreadsAndTheirParentsTree}) {
        t.Tree.ViewMode = mode;
        t.Tree.BuildTree();
        std::string shown = Render(t.Tree);
        EXPECT_EQ(shown.find("loop"), std::string::npos);
        EXPECT_EQ(shown.find("self"), std::string::npos);
    }
    t.Tree.ViewMode = TViewMode::List;
    t.Tree.BuildTree();
    EXPECT_EQ(Render(t.Tree), "root\n*loop-a\n*loop-b\n*self\n");
    EXPECT_EQ(t.Tree.FirstNode()->Image(), 3) << "list nodes show the letter icons";
    EXPECT_EQ(t.Tree.TopLevel()[1]->Image(), 5);
}

TEST(ConversationTree, UnreadsTreeShowsWholeConversationsWithNewOrCurrentLetters)
{
    TreeArea t;
    t.Letters({t.Make(1, 0, "alpha", "a-old", 1, false), t.Make(2, 0, "alpha", "a-new-root", 2, false),
               t.Make(3, 2, "alpha", "a-new", 3, true), t.Make(4, 0, "alpha", "a-late", 4, false),
               t.Make(5, 0, "beta", "b", 5, false), t.Make(6, 5, "beta", "b-reply", 6, false),
               t.Make(7, 0, "gamma", "g", 7, false), t.Make(8, 0, "delta", "d", 8, false)});
    t.L(8)->ReadNow = true;  // read in this run: still shown
    t.Area.SetCurrent(t.L(6));
    t.Area.UnreadCount = 1;
    t.Area.ReadCount = 1;
    t.Tree.ViewMode = TViewMode::UnreadsAndTheirParentsTree;
    t.Tree.BuildTree();
    EXPECT_EQ(Render(t.Tree),
              "Desc(RU.TEST)\n"
              "  alpha\n"
              "    a-old\n"
              "    a-new-root\n"
              "      *a-new\n"
              "    a-late\n"
              "  beta\n"
              "    b\n"
              "      b-reply\n"
              "  delta\n"
              "    *d\n");
    EXPECT_EQ(t.Tree.Selected(), t.L(6)->Node) << "the current letter is selected";
    EXPECT_EQ(t.L(7)->Node, nullptr) << "a letter left out has no node";
}

TEST(ConversationTree, MarksAndHasUnreadBelow)
{
    TreeArea t;
    t.Letters({t.Make(1, 0, "s", "root", 1, false), t.Make(2, 1, "s", "mid", 2, false),
               t.Make(3, 2, "s", "leaf", 3, true)});
    t.Tree.BuildTree();
    TTreeNode* areaNode = t.Tree.FirstNode();
    TTreeNode* subject = areaNode->Children[0].get();
    TTreeNode* root = t.L(1)->Node;
    EXPECT_EQ(areaNode->Image(), 0);
    EXPECT_EQ(subject->Image(), 2) << "collapsed over an unread letter";
    EXPECT_EQ(root->Image(), 4);
    EXPECT_EQ(t.L(3)->Node->Image(), 6 - 1);
    root->Expanded = true;
    EXPECT_EQ(root->Image(), 3);
    EXPECT_TRUE(root->HasUnreadBelow());
    EXPECT_FALSE(t.L(3)->Node->HasUnreadBelow()) << "the node itself does not count";
    t.L(3)->Unread = false;
    t.L(3)->ReadNow = true;
    EXPECT_FALSE(subject->HasUnreadBelow()) << "letters read now do not count";
    EXPECT_EQ(subject->Image(), 1);
}

TEST(ConversationTree, ChoosingAndAdjustingTheView)
{
    TreeArea t;
    t.Letters({t.Make(1, 0, "s", "a", 1, true), t.Make(2, 0, "s", "b", 2, false)});
    t.Area.UnreadCount = 1;
    t.Tree.ChooseView();
    EXPECT_EQ(t.Tree.ViewMode, TViewMode::UnreadsAndTheirParentsTree);
    t.Area.UnreadCount = 2;
    t.Tree.ChooseView();
    EXPECT_EQ(t.Tree.ViewMode, TViewMode::SimpleTree) << "all new: both trees would be equal";
    t.Area.UnreadCount = 0;
    t.Tree.ChooseView();
    EXPECT_EQ(t.Tree.ViewMode, TViewMode::SimpleTree);

    t.Area.ReadCount = 1;
    t.Tree.AdjustViewAndBuild();
    EXPECT_EQ(t.Tree.ViewMode, TViewMode::UnreadsAndTheirParentsTree);
    t.Area.ReadCount = 0;
    t.Tree.AdjustViewAndBuild();
    EXPECT_EQ(t.Tree.ViewMode, TViewMode::SimpleTree);
    t.Tree.ViewMode = TViewMode::List;
    t.Area.ReadCount = 1;
    t.Tree.AdjustViewAndBuild();
    EXPECT_EQ(t.Tree.ViewMode, TViewMode::List);
    EXPECT_EQ(t.Tree.TopLevel().size(), 2u);
}

TEST(ConversationTree, EmptyArea)
{
    TreeArea t;
    t.Tree.BuildTree();
    ASSERT_EQ(t.Tree.TopLevel().size(), 1u);
    EXPECT_EQ(t.Tree.Selected(), t.Tree.FirstNode());
    for (int command : {19, 21, 29, 31, 39, 41, 49, 51})
        EXPECT_EQ(t.Go(command).Outcome, TNavigateResult::AtEnd) << command;
    EXPECT_EQ(t.Go(GotoRoot).Target, t.Tree.FirstNode());
    for (int command : {9, 11, 59, 61}) {
        EXPECT_EQ(t.Go(command).Outcome, TNavigateResult::Unchanged) << command;
        EXPECT_EQ(t.Tree.Selected(), t.Tree.FirstNode());
    }
    t.Tree.ViewMode = TViewMode::List;
    t.Tree.BuildTree();
    EXPECT_EQ(t.Tree.Selected(), nullptr);
    for (int command : {0, 9, 11, 19, 21, 29, 31, 39, 41, 49, 51, 59, 61})
        EXPECT_EQ(t.Go(command).Outcome, TNavigateResult::AtEnd) << command;
}

TEST(ConversationTree, NavigationWalksAndTieBreaks)
{
    TreeArea t;
    // Conversation "a": root a1 with replies a2 (a3 below it) and a4; second root a5.
    // Conversation "b": root b1 with reply b2. Conversation "c": root c1.
    t.Letters({t.Make(1, 0, "a", "a1", 1, false), t.Make(2, 1, "a", "a2", 2, false),
               t.Make(3, 2, "a", "a3", 3, true), t.Make(4, 1, "a", "a4", 4, false),
               t.Make(5, 0, "a", "a5", 5, false), t.Make(6, 0, "b", "b1", 6, false),
               t.Make(7, 6, "b", "b2", 7, true), t.Make(8, 0, "c", "c1", 8, false)});
    t.Area.UnreadCount = 2;
    t.Tree.ViewMode = TViewMode::SimpleTree;
    t.Tree.BuildTree();

    t.Tree.Select(t.L(6)->Node);
    TNavigateResult r = t.Go(PreviousConversation);
    EXPECT_EQ(r.Outcome, TNavigateResult::Moved);
    EXPECT_EQ(r.Letter, t.L(5)) << "the last letter in tree order of the earlier conversation";
    t.Tree.Select(t.L(2)->Node);
    EXPECT_EQ(t.Go(NextConversation).Letter, t.L(6)) << "the first letter of the next conversation";
    EXPECT_EQ(t.Go(NextConversation).Letter, t.L(8));
    EXPECT_EQ(t.Go(NextConversation).Outcome, TNavigateResult::AtEnd);
    EXPECT_EQ(t.Tree.Selected(), t.L(8)->Node) << "AtEnd leaves the selection";

    t.Tree.Select(t.L(1)->Node);
    EXPECT_EQ(t.Go(NextLetter).Letter, t.L(2));
    EXPECT_EQ(t.Go(NextLetter).Letter, t.L(3));
    EXPECT_EQ(t.Go(NextLetter).Letter, t.L(4));
    EXPECT_EQ(t.Go(NextLetter).Letter, t.L(5));
    EXPECT_EQ(t.Go(NextLetter).Letter, t.L(6)) << "subject nodes are passed over";
    EXPECT_EQ(t.Go(PreviousLetter).Letter, t.L(5));
    t.Tree.Select(t.L(1)->Node);
    EXPECT_EQ(t.Go(PreviousLetter).Outcome, TNavigateResult::AtEnd);

    t.Tree.Select(t.L(1)->Node);
    EXPECT_EQ(t.Go(NextUnreadLetter).Letter, t.L(3));
    EXPECT_EQ(t.Go(NextUnreadLetter).Letter, t.L(7));
    EXPECT_EQ(t.Go(PreviousUnreadConversation).Letter, t.L(3));
    EXPECT_EQ(t.Go(NextUnreadConversation).Letter, t.L(7));
    EXPECT_EQ(t.Go(NextUnreadConversation).Outcome, TNavigateResult::AtEnd);

    t.Tree.Select(t.L(3)->Node);
    EXPECT_EQ(t.Go(GotoRoot).Target->Text(), "a");
    EXPECT_EQ(t.Go(GotoRoot).Letter, nullptr) << "a subject node holds no letter";
    t.Tree.Select(t.L(2)->Node);
    EXPECT_EQ(t.Go(UpOneLevel).Letter, t.L(1));
    EXPECT_EQ(t.Go(DownOneLevel).Letter, t.L(2));
    EXPECT_EQ(t.Go(ThisLevelDown).Letter, t.L(4));
    EXPECT_EQ(t.Go(ThisLevelDown).Outcome, TNavigateResult::Unchanged);
    EXPECT_EQ(t.Go(ThisLevelUp).Letter, t.L(2));
    EXPECT_EQ(t.Go(ThisLevelUp).Outcome, TNavigateResult::Unchanged);
    t.Tree.Select(t.L(3)->Node);
    EXPECT_EQ(t.Go(DownOneLevel).Outcome, TNavigateResult::Unchanged);
    EXPECT_EQ(t.Go(1234).Target, t.L(3)->Node) << "an unknown code stays";

    // Landing on an unread letter opens everything below it.
    t.Tree.Select(t.L(6)->Node);
    r = t.Go(NextLetter);
    EXPECT_EQ(r.Letter, t.L(7));
    EXPECT_TRUE(r.SubtreeExpanded);

    // In the list a conversation is one letter.
    t.Tree.ViewMode = TViewMode::List;
    t.Tree.BuildTree();
    t.Tree.Select(t.L(2)->Node);
    EXPECT_EQ(t.Go(NextConversation).Letter, t.L(3));
    EXPECT_EQ(t.Go(PreviousConversation).Letter, t.L(2));
    EXPECT_EQ(t.Go(GotoRoot).Letter, t.L(2));
    EXPECT_EQ(t.Go(NextUnreadConversation).Letter, t.L(3));
}

TEST(ConversationTree, ReadingMarksTheCurrentLetterAndUnreadWalksStillVisitIt)
{
    std::string spec = FreshMemorySpec();
    WriteLetters(spec, {{.From = "one", .Subject = "s", .Date = 1}, {.From = "two", .Subject = "s", .Date = 2}});
    Session session;
    TArea area(session, "TAG", "Desc", spec);
    area.Load();
    area.Open();
    TConversationTree tree(area);
    tree.ChooseView();
    EXPECT_EQ(tree.ViewMode, TViewMode::SimpleTree);
    tree.BuildTree();
    TLetter* one = area.Letters.At(0);
    TLetter* two = area.Letters.At(1);
    ASSERT_EQ(tree.Navigate(NextUnreadLetter, false).Letter, one);
    area.SetCurrent(one);
    TNavigateResult r = tree.Navigate(NextUnreadLetter, true);
    EXPECT_EQ(r.MarkedRead, one);
    EXPECT_FALSE(one->Unread);
    EXPECT_TRUE(one->Node->Bold) << "new in this run stays bold";
    EXPECT_EQ(r.Letter, two);
    area.SetCurrent(two);
    EXPECT_EQ(tree.Navigate(NextUnreadLetter, true).Outcome, TNavigateResult::AtEnd);
    EXPECT_EQ(area.UnreadCount, 0);
    EXPECT_EQ(area.NewCount(), 2);
    // Both were read now, and still count for the unread walks.
    tree.Select(tree.FirstNode());
    EXPECT_EQ(tree.Navigate(NextUnreadLetter, false).Letter, one);
    EXPECT_EQ(tree.Navigate(NextUnreadLetter, false).Letter, two);

    area.Close();
}

TEST(ConversationTree, LongChainsAndNodeLinksAcrossRebuilds)
{
    TreeArea t;
    std::vector<TLetter*> letters;
    const Num chain = 30000;
    for (Num n = 1; n <= chain; ++n)
        letters.push_back(t.Make(n, n - 1, "s", "x", n, n == chain));
    t.Letters(letters);
    t.Area.UnreadCount = 1;
    t.Tree.BuildTree();
    // Letter n stands at level n + 1 down to the deepest level; the rest of
    // the chain lines up under the letter there, in order.
    const Num deepest = TConversationTree::DeepestLevel - 1;
    EXPECT_EQ(t.L(deepest)->Node->Level(), TConversationTree::DeepestLevel);
    const TTreeNode* flat = t.L(deepest)->Node;
    ASSERT_EQ(flat->Children.size(), chain - deepest);
    for (Num n = deepest + 1; n <= chain; ++n)
        ASSERT_EQ(flat->Children[n - deepest - 1]->Letter, t.L(n)) << n;
    EXPECT_EQ(t.L(chain)->Node->Level(), TConversationTree::DeepestLevel + 1);
    EXPECT_TRUE(t.L(1)->Node->HasUnreadBelow());
    t.L(1)->Node->ExpandAll(true);
    t.Tree.Select(t.L(1)->Node);
    EXPECT_EQ(t.Go(NextUnreadLetter).Letter, t.L(chain));

    t.Area.SetCurrent(t.L(5));
    t.Tree.ViewMode = TViewMode::List;
    t.Tree.BuildTree();
    EXPECT_EQ(t.Tree.Selected(), t.L(5)->Node);
    EXPECT_EQ(t.Tree.Selected()->Level(), 0);
}
